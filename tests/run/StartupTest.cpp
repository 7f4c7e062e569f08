#include "run/Startup.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "run/Choice.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "text/Error.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qx {
namespace {

using platform::UpperCase;
using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

const std::string S(1, platform::kPathSeparator);

// A program folder, two data roots with users and a spare root, all in one temporary folder.
class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        exe = dir.file("program") + S;
        root1 = dir.file("kerno");
        root2 = dir.file("knjige");
        spare = dir.file("stara");
        for (const std::string& f : {exe, root1 + S + "firma.p", root1 + S + "firma20.p", root1 + S + "ostalo",
                                     root2 + S + "druga._g", spare + S + "firma20.p", spare + S + "ostalo"})
            EXPECT_TRUE(platform::CreateDirectories(f));
        test::UnsetEnvironment("VOR_EXTMAIL");
        options.exeFolder = exe;
    }
    void TearDown() override {
        test::UnsetEnvironment("VORTANE");
        test::UnsetEnvironment("VOR_EXTMAIL");
    }

    StartupResult start(const std::string& vortane) {
        test::SetEnvironment("VORTANE", vortane.c_str());
        return RunStartupSequence(session, options);
    }
    void saveChoice(const std::string& root, const std::string& user) {
        WriteWholeFile(exe + "qx.ini", "[Setup]\r\nSkupno=" + root + "\r\nUserdir=" + user + "\r\n");
    }
    static std::string upperRoot(const std::string& root) { return UpperCase(root) + S; }

    TempDir dir;
    std::string exe, root1, root2, spare;
    StartupOptions options;
    Session session;
    const TSessionSelection& sel = session.selection;
};

TEST_F(Startup, TwoRootsWithoutASavedChoice) {
    const StartupResult r = start(root1 + ";" + root2 + S);
    EXPECT_EQ(r.outcome, StartupOutcome::Ready);
    EXPECT_EQ(sel.rootList, UpperCase(root1 + ";" + root2 + S));
    EXPECT_EQ(sel.rootBoxEntries, (std::vector<std::string>{upperRoot(root1), upperRoot(root2)}));
    EXPECT_EQ(r.rootBoxText, upperRoot(root1));
    EXPECT_EQ(r.selectedRoot, -1);
    EXPECT_EQ(sel.listedRoot, upperRoot(root1));
    EXPECT_EQ(sel.dataRoot, upperRoot(root1));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"FIRMA.P", "FIRMA20.P", "SKUPNO    "}));
    EXPECT_EQ(r.selectedUser, 0);
    EXPECT_EQ(sel.userDir, "FIRMA.P");
    // The output folder keeps the first root as written.
    EXPECT_EQ(sel.outputDir, root1 + S + "PRENOS");
    EXPECT_EQ(session.settings.Dest, sel.outputDir);
    EXPECT_TRUE(platform::IsExistingDirectory(root1 + S + "PRENOS"));
    EXPECT_EQ(platform::FromAnsi(sel.exeDir), exe);
    EXPECT_EQ(sel.workDir, exe + "TEMP" + S);
    EXPECT_TRUE(platform::IsExistingDirectory(exe + "TEMP"));
    EXPECT_EQ(sel.mailerExe, exe + "VorMail.exe");
    EXPECT_FALSE(sel.externalMailer);
    EXPECT_EQ(r.versionLabel, VersionLabel(platform::ExecutableFileVersion()));
    EXPECT_FALSE(platform::PathExists(exe + "qx.ini")); // start-up writes nothing
}

TEST_F(Startup, RootListEndingOrBeginningWithASeparator) {
    const StartupResult trailing = start(root1 + ";");
    EXPECT_EQ(sel.rootBoxEntries, (std::vector<std::string>{upperRoot(root1), ""}));
    EXPECT_EQ(trailing.rootBoxText, upperRoot(root1));

    // An empty first root lists the current folder, and PRENOS is made there.
    const std::string cwd = dir.file("cwd");
    ASSERT_TRUE(platform::CreateDirectories(cwd + S + "tekoca.p"));
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    session = Session();
    const StartupResult leading = start(";" + root1);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(sel.rootBoxEntries, (std::vector<std::string>{"", upperRoot(root1)}));
    EXPECT_EQ(leading.rootBoxText, "");
    EXPECT_EQ(sel.listedRoot, "");
    EXPECT_EQ(sel.outputDir, "PRENOS");
    EXPECT_TRUE(platform::IsExistingDirectory(cwd + S + "PRENOS"));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"TEKOCA.P", "SKUPNO    "}));
}

TEST_F(Startup, SavedChoiceIsRestored) {
    saveChoice(root2 + S, "druga._g");
    const StartupResult r = start(root1 + ";" + root2);
    EXPECT_EQ(r.selectedRoot, 1);
    EXPECT_EQ(r.rootBoxText, upperRoot(root2));
    EXPECT_EQ(sel.listedRoot, upperRoot(root2));
    EXPECT_EQ(sel.dataRoot, upperRoot(root2));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"DRUGA._G", "SKUPNO    "}));
    EXPECT_EQ(r.selectedUser, 0);
    EXPECT_EQ(sel.userDir, "DRUGA._G");
    EXPECT_EQ(sel.outputDir, root1 + S + "PRENOS");
}

TEST_F(Startup, SavedRootNoLongerInTheRootList) {
    saveChoice(spare + S, "FIRMA20.P");
    const StartupResult r = start(root1 + ";" + root2);
    EXPECT_EQ(r.selectedRoot, -1);
    EXPECT_EQ(r.rootBoxText, upperRoot(root1));
    EXPECT_EQ(sel.listedRoot, upperRoot(root1));
    EXPECT_EQ(sel.dataRoot, upperRoot(spare));
    // The first root lists FIRMA20.P too, so it is selected.
    EXPECT_EQ(r.selectedUser, 1);
    EXPECT_EQ(sel.userDir, "FIRMA20.P");

    session = Session();
    saveChoice(spare + S, "FIRMA20.P");
    const StartupResult other = start(root2);
    EXPECT_EQ(sel.dataRoot, upperRoot(spare));
    EXPECT_EQ(other.selectedUser, -1);
    EXPECT_EQ(sel.userDir, "FIRMA20.P");
}

TEST_F(Startup, SavedUserWithoutAUserExtension) {
    saveChoice(root1 + S, "ostalo");
    const StartupResult r = start(root1);
    EXPECT_EQ(r.selectedRoot, 0);
    EXPECT_EQ(r.selectedUser, -1);
    EXPECT_EQ(sel.userDir, "OSTALO");
}

TEST_F(Startup, SavedChoiceThatNoLongerExistsIsForgotten) {
    struct Case {
        std::string root;
        std::string user;
    };
    for (const Case& c : {Case{dir.file("gone") + S, "FIRMA.P"}, Case{root2 + S, "FIRMA.P"}, Case{"", "FIRMA.P"},
                          Case{root1 + S, "SKUPNO    "}}) {
        session = Session();
        saveChoice(c.root, c.user);
        const StartupResult r = start(root1 + ";" + root2);
        EXPECT_EQ(r.selectedRoot, -1) << c.root << c.user;
        EXPECT_EQ(sel.dataRoot, upperRoot(root1)) << c.root << c.user;
        EXPECT_EQ(r.selectedUser, 0) << c.root << c.user;
        EXPECT_EQ(sel.userDir, "FIRMA.P") << c.root << c.user;
    }
}

TEST_F(Startup, SavedRootWithoutUserSelectsTheFirstEntry) {
    saveChoice(root2 + S, "");
    const StartupResult r = start(root1 + ";" + root2);
    EXPECT_EQ(r.selectedRoot, 1);
    EXPECT_EQ(r.selectedUser, 0);
    EXPECT_EQ(sel.userDir, "DRUGA._G");
}

TEST_F(Startup, RootWithoutUsersSelectsTheCommonEntry) {
    const StartupResult r = start(dir.file("program"));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"SKUPNO    "}));
    EXPECT_EQ(r.selectedUser, 0);
    EXPECT_EQ(sel.userDir, "SKUPNO    ");
}

TEST_F(Startup, MissingRootListEndsTheProgram) {
    for (const std::string& value : {std::string(), std::string(1020, 'x')}) {
        session = Session();
        const StartupResult r = start(value);
        EXPECT_EQ(r.outcome, StartupOutcome::RootListMissing);
        EXPECT_EQ(r.message, "Environment spremenljivka VORTANE ni definirana.\rIzvajanje programa ni možno.");
        EXPECT_TRUE(sel.rootBoxEntries.empty());
        EXPECT_TRUE(sel.userList.empty());
        EXPECT_EQ(sel.outputDir, "");
    }
    test::UnsetEnvironment("VORTANE");
    EXPECT_EQ(RunStartupSequence(session, options).outcome, StartupOutcome::RootListMissing);
    EXPECT_FALSE(platform::PathExists(std::string(1, 'x') + S + "PRENOS"));
}

TEST_F(Startup, MoreThan255RootsOfferTheFirst255) {
    std::string list = root1;
    for (int i = 2; i <= 300; ++i)
        list += ";x" + std::to_string(i % 10);
    ASSERT_LT(list.size(), 1020u);
    start(list);
    ASSERT_EQ(sel.rootBoxEntries.size(), 255u);
    EXPECT_EQ(sel.rootBoxEntries.front(), upperRoot(root1));
    EXPECT_EQ(sel.rootBoxEntries[1], "X2" + S);
    EXPECT_EQ(sel.rootBoxEntries.back(), "X5" + S); // root 255
}

TEST_F(Startup, RootThatIsAFile) {
    WriteWholeFile(dir.file("datoteka"), "x");
    const StartupResult r = start(dir.file("datoteka"));
    EXPECT_EQ(r.outcome, StartupOutcome::Ready);
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"SKUPNO    "}));
    EXPECT_FALSE(platform::IsExistingDirectory(dir.file("datoteka/PRENOS")));
}

TEST_F(Startup, ExternalMailerSwitch) {
    struct Case {
        const char* value;
        bool external;
    };
    for (const Case& c : {Case{"D", true}, Case{"d", true}, Case{"D ", false}, Case{"DA", false}, Case{"N", false}}) {
        test::SetEnvironment("VOR_EXTMAIL", c.value);
        session = Session();
        start(root1);
        EXPECT_EQ(sel.externalMailer, c.external) << c.value;
    }
}

TEST_F(Startup, HooksRunInTheirPlaces) {
    std::vector<std::string> calls;
    options.updateOffer = [&] { calls.push_back("update:" + sel.workDir); };
    options.engineStartup = [&](const AnsiText& exeDir) {
        calls.push_back("engine:" + exeDir.bytes + ":" + std::to_string(platform::IsExistingDirectory(sel.workDir)));
    };
    start(root1);
    EXPECT_EQ(calls, (std::vector<std::string>{"update:", "engine:" + exe + ":1"}));
}

TEST(VersionLabel, TableOfCases) {
    EXPECT_EQ(VersionLabel("3.0.22.0"), "V3.0.22");
    EXPECT_EQ(VersionLabel("3.0.22"), "V3.0.22");
    EXPECT_EQ(VersionLabel("4.1.0.7"), "V4.1.0");
    EXPECT_EQ(VersionLabel(""), "V..");
}

TEST_F(Startup, ChangingTheRootListsItsUsersAndKeepsTheUser) {
    start(root1 + ";" + root2);
    SelectRoot(session, sel.rootBoxEntries[1]);
    EXPECT_EQ(sel.listedRoot, upperRoot(root2));
    EXPECT_EQ(sel.dataRoot, upperRoot(root2));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"DRUGA._G", "SKUPNO    "}));
    EXPECT_EQ(sel.userDir, "FIRMA.P");
    EXPECT_FALSE(platform::PathExists(exe + "qx.ini"));

    SelectRoot(session, UpperCase(spare)); // a typed root gets its separator
    EXPECT_EQ(sel.listedRoot, upperRoot(spare));
    EXPECT_EQ(sel.userList, (std::vector<std::string>{"FIRMA20.P", "SKUPNO    "}));
}

TEST_F(Startup, ClickingAUserSavesRootThenUser) {
    start(root1 + ";" + root2);
    SelectRoot(session, sel.rootBoxEntries[1]);
    SelectUser(session, std::string("DRUGA._G"));
    EXPECT_EQ(sel.userDir, "DRUGA._G");
    EXPECT_EQ(ReadWholeFile(exe + "qx.ini"), "[Setup]\r\nSkupno=" + upperRoot(root2) + "\r\nUserdir=DRUGA._G\r\n");

    SelectUser(session, std::string("SKUPNO    "));
    EXPECT_EQ(ReadWholeFile(exe + "qx.ini"), "[Setup]\r\nSkupno=" + upperRoot(root2) + "\r\nUserdir=SKUPNO    \r\n");
    SelectUser(session, std::nullopt);
    EXPECT_EQ(sel.userDir, "SKUPNO    ");

    // The next start finds no folder SKUPNO under the root and forgets the choice.
    session = Session();
    const StartupResult r = start(root1 + ";" + root2);
    EXPECT_EQ(r.selectedRoot, -1);
    EXPECT_EQ(sel.userDir, "FIRMA.P");
}

TEST_F(Startup, ARefusedSaveReportsTheFile) {
    start(root1);
    WriteWholeFile(exe + "qx.ini", "");
    ASSERT_TRUE(platform::SetReadOnly(exe + "qx.ini", true));
    try {
        SelectUser(session, std::string("FIRMA.P"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + exe + "qx.ini");
    }
    EXPECT_EQ(sel.userDir, "FIRMA.P");
}

} // namespace
} // namespace qx
