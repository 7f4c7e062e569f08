#include "settings/SettingsFiles.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

// 2024-06-15 12:00 UTC, so that "1 January of the current year" is fixed.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClockForTests([] { return std::int64_t{1718452800}; });
        selection.exeDir = platform::ToAnsi(dir.path());
        path = dir.file("QX.INI");
    }
    void TearDown() override { platform::SetClockForTests({}); }

    TempDir dir;
    TSessionSelection selection;
    std::string path;
    const DayCount newYear = DayCountOf({2024, 1, 1});
};

TEST_F(SettingsFiles, SavedChoiceRoundTripsAndKeepsOtherSections) {
    EXPECT_EQ(ReadSavedChoice(selection).root, "");
    EXPECT_EQ(ReadSavedChoice(selection).user, "");
    WriteWholeFile(dir.file("qx.ini"), "[Drugo]\r\nX=1\r\n");
    WriteSavedChoice(selection, "/data/kerno/", "FIRMA.P");
    EXPECT_EQ(ReadWholeFile(dir.file("qx.ini")),
              "[Drugo]\r\nX=1\r\n[Setup]\r\nSkupno=/data/kerno/\r\nUserdir=FIRMA.P\r\n");
    WriteSavedChoice(selection, "/data/čšž/", "SKUPNO    ");
    EXPECT_EQ(ReadWholeFile(dir.file("qx.ini")),
              "[Drugo]\r\nX=1\r\n[Setup]\r\nSkupno=/data/\xe8\x9a\x9e/\r\nUserdir=SKUPNO    \r\n");
    const SavedChoice read = ReadSavedChoice(selection);
    EXPECT_EQ(read.root, "/data/čšž/");
    EXPECT_EQ(read.user, "SKUPNO"); // the trailing blanks do not read back
}

TEST_F(SettingsFiles, SavedChoiceWriteIntoAMissingFolderIsRefused) {
    selection.exeDir = platform::ToAnsi(dir.file("gone/"));
    try {
        WriteSavedChoice(selection, "R", "U");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + dir.file("gone/qx.ini"));
    }
}

struct FlagCase {
    std::string line;
    bool (*field)(const TUserSettings&);
    bool forRun;
    bool forDialog; // with every flag false in memory
};

bool MessageOf(const TUserSettings& s) {
    return s.Message;
}
bool RacnOf(const TUserSettings& s) {
    return s.Racn;
}
bool MateOf(const TUserSettings& s) {
    return s.Mate;
}
bool VstrOf(const TUserSettings& s) {
    return s.Vstr;
}
bool FtpOf(const TUserSettings& s) {
    return s.FTP;
}

TEST_F(SettingsFiles, FlagsAsBothReadersReadThem) {
    const std::vector<FlagCase> cases = {
        {"message=0", MessageOf, false, false}, {"Message=1", MessageOf, true, true},
        {"Other=1", MessageOf, true, false},    {"Racn=yes", RacnOf, true, true},
        {"Racn=0x0", RacnOf, false, false},     {"Racn=2", RacnOf, true, true},
        {"Racn=0", RacnOf, false, false},       {"Mate=0", MateOf, true, true},
        {"Vstr=0", VstrOf, true, true},         {"FTP=0x10", FtpOf, true, true},
        {"FTP=", FtpOf, false, false},
    };
    for (const FlagCase& c : cases) {
        WriteWholeFile(path, "[Setup]\r\n" + c.line + "\r\n");
        TUserSettings run;
        ReadUserSettingsForRun(path, run);
        EXPECT_EQ(c.field(run), c.forRun) << c.line << " (run)";
        TUserSettings dialog;
        ASSERT_TRUE(ReadUserSettingsForDialog(path, dialog));
        EXPECT_EQ(c.field(dialog), c.forDialog) << c.line << " (dialog)";
    }
}

TEST_F(SettingsFiles, EmptyFileGivesEachReadersDefaults) {
    WriteWholeFile(path, "");
    TUserSettings run;
    run.DS = "old";
    ReadUserSettingsForRun(path, run);
    EXPECT_EQ(run, ExportDefaults());
    EXPECT_EQ(run.Datumod, newYear);

    TUserSettings memory;
    memory.DS = "12345678";
    memory.Dest = "/out/";
    memory.Email = "a@b.si";
    memory.Mail = memory.Outlook = memory.FTP = memory.Kopiraj2 = true;
    memory.Servis = "code";
    memory.ID = "A";
    memory.Datumod = DayCountOf({2000, 5, 5});
    memory.Doba = memory.Orge = memory.Ziro = true;
    TUserSettings dialog = memory;
    ASSERT_TRUE(ReadUserSettingsForDialog(path, dialog));
    TUserSettings expected = memory; // the first twelve keys keep what is in memory
    expected.Datumod = newYear;
    expected.Doba = expected.Orge = expected.Ziro = false;
    expected.Racn = expected.Stro = expected.Ptnl = expected.Mate = expected.Vstr = true;
    EXPECT_EQ(dialog, expected);
}

TEST_F(SettingsFiles, DialogReaderDoesNothingWithoutAFile) {
    TUserSettings memory;
    memory.DS = "kept";
    TUserSettings settings = memory;
    EXPECT_FALSE(ReadUserSettingsForDialog(dir.file("none/QX.INI"), settings));
    EXPECT_EQ(settings, memory);
}

struct DateCase {
    std::string value;
    CivilDate date;
};

TEST_F(SettingsFiles, StartDate) {
    const std::vector<DateCase> cases = {
        {"15.03.2020", {2020, 3, 15}},
        {"abc", {2024, 1, 1}},
        {"", {2024, 1, 1}},
        {"1.2.2019", {2019, 2, 1}},
        {"15.03.2020 08:00:00", {2020, 3, 15}},
        {"31.02.2020", {2024, 1, 1}},
    };
    for (const DateCase& c : cases) {
        WriteWholeFile(path, "[Setup]\r\nDatumod=" + c.value + "\r\n");
        TUserSettings run;
        ReadUserSettingsForRun(path, run);
        EXPECT_EQ(CivilDateOf(run.Datumod), c.date) << c.value;
    }
}

TEST_F(SettingsFiles, WriterWritesAll21KeysInOrderAndReadsBack) {
    TUserSettings s;
    s.DS = "12345678";
    s.Dest = "/izhod/prenos/";
    s.Email = "servis@example.com";
    s.Mail = true;
    s.Message = false;
    s.Outlook = true;
    s.FTP = true;
    s.Servis = "KODA";
    s.ID = "B";
    s.AskDate = false;
    s.Kopiraj1 = false;
    s.Kopiraj2 = true;
    s.Datumod = DayCountOf({2023, 7, 4});
    s.Doba = true;
    s.Racn = false;
    s.Stro = true;
    s.Ptnl = false;
    s.Mate = true;
    s.Orge = true;
    s.Ziro = false;
    s.Vstr = true;
    WriteWholeFile(path, "; ročno\r\n[Setup]\r\nDS=old\r\nForeign=keep\r\n\r\n[Tuje]\r\nA=1\r\n");
    WriteUserSettings(path, s);
    EXPECT_EQ(ReadWholeFile(path), "; ročno\r\n[Setup]\r\nDS=12345678\r\nForeign=keep\r\n"
                                   "Dest=/izhod/prenos/\r\nEmail=servis@example.com\r\nMail=1\r\nOutlook=1\r\n"
                                   "message=0\r\nKopiraj1=0\r\nKopiraj2=1\r\nDatumod=04.07.2023\r\nFTP=1\r\n"
                                   "servis=KODA\r\nID=B\r\nDoba=1\r\nPtnl=0\r\nStro=1\r\nRacn=0\r\nMate=1\r\n"
                                   "Vstr=1\r\nOrge=1\r\nZiro=0\r\nAskDate=0\r\n\r\n[Tuje]\r\nA=1\r\n");
    TUserSettings run;
    ReadUserSettingsForRun(path, run);
    EXPECT_EQ(run, s);
    TUserSettings dialog;
    ASSERT_TRUE(ReadUserSettingsForDialog(path, dialog));
    EXPECT_EQ(dialog, s);
}

TEST_F(SettingsFiles, TextsPassThroughTheAnsiCodePage) {
    TUserSettings s = ExportDefaults();
    s.Dest = "/podatki/Žiri/";
    s.Email = "ime@domena.si";
    WriteUserSettings(path, s);
    EXPECT_NE(ReadWholeFile(path).find("Dest=/podatki/\x8eiri/\r\n"), std::string::npos);
    TUserSettings back;
    ReadUserSettingsForRun(path, back);
    EXPECT_EQ(back.Dest, "/podatki/Žiri/");
}

TEST_F(SettingsFiles, ARefusedWriteStopsAtThatKey) {
    // The first key is refused: nothing is written, and nothing is created.
    const std::string missing = dir.file("nowhere/QX.INI");
    try {
        WriteUserSettings(missing, ExportDefaults());
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + missing);
    }
    EXPECT_FALSE(platform::PathExists(dir.file("nowhere")));

    WriteWholeFile(path, "[Setup]\r\nDS=1\r\n");
    ASSERT_TRUE(platform::SetReadOnly(path, true));
    EXPECT_THROW(WriteUserSettings(path, ExportDefaults()), Error);
    EXPECT_EQ(ReadWholeFile(path), "[Setup]\r\nDS=1\r\n");
}

} // namespace
} // namespace qx
