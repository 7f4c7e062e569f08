#include "delivery/MailHandoff.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using qx::AnsiText;
using qx::test::ReadWholeFile;
using qx::test::TempDir;
using qx::test::WriteWholeFile;

void WriteScript(const std::string& path, const std::string& text) {
    WriteWholeFile(path, "#!/bin/sh\n" + text);
    chmod(path.c_str(), 0755);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Runs the hand-off with the temporary folder, the external mailer and xdg-email replaced by
// recording stand-ins: the mailer copies its request file, xdg-email writes its arguments.
class MailHandoffTest : public ::testing::Test {
protected:
    TempDir temp;     // the user's temporary folder
    TempDir programs; // the executable's folder (with a blank in the mailer's own folder)
    TempDir bin;      // first on PATH
    TempDir record;   // what the stand-ins saw
    qx::Session session;
    qx::test::RecordingOperator ui;
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    void SetUp() override {
        setenv("TMPDIR", temp.path().c_str(), 1);
        setenv("PATH", (bin.path() + ":" + savedPath).c_str(), 1);
        mkdir((programs.path() + "Moji programi").c_str(), 0755);
        session.selection.userDir = "PODJETJE1";
        session.selection.mailerExe = programs.path() + "Moji programi/VorMail.exe";
        session.selection.externalMailer = true;
        WriteScript(session.selection.mailerExe, "echo \"$#\" > " + record.file("argc") + "\necho \"$1\" > " +
                                                     record.file("path") + "\ncp \"$1\" " + record.file("request.ini") +
                                                     "\nexit 3\n");
        InstallXdgEmail(0);
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        unsetenv("TMPDIR");
    }

    void InstallXdgEmail(int exitCode) {
        WriteScript(bin.file("xdg-email"), "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + record.file("xdg") +
                                               "\nexit " + std::to_string(exitCode) + "\n");
    }
    std::string Request(const std::string& key) {
        return qx::platform::IniReadString(record.file("request.ini"), "setup", key, AnsiText("<none>")).bytes;
    }
    // The keys of the request file in the order they stand.
    std::vector<std::string> RequestKeys() {
        std::vector<std::string> keys;
        for (auto line : Lines(ReadWholeFile(record.file("request.ini")))) {
            auto eq = line.find('=');
            if (eq != std::string::npos)
                keys.push_back(line.substr(0, eq));
        }
        return keys;
    }
    bool TempFolderEmpty() { return qx::platform::ListDirectory(temp.path()).empty(); }
};

TEST(EscapeCr, EveryCarriageReturnBecomesHash13) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""}, {"abc", "abc"}, {"a\rb", "a#13b"}, {"a\r\nb\r\n", "a#13\nb#13\n"}, {"\r\r", "#13#13"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(qx::escapecr(AnsiText(in)).bytes, out);
}

TEST_F(MailHandoffTest, ExternalMailerGetsTheArchiveInItsRequestFileWhichIsDeletedAfter) {
    WriteWholeFile(record.file("PODJETJE1.zip"), "zip");
    qx::sendmail(session, ui, " stranka@primer.si ", record.file("PODJETJE1.zip"));

    EXPECT_EQ(RequestKeys(),
              (std::vector<std::string>{"prejemnik", "predmet", "sporocilo", "steviloprilog", "priloga1"}));
    EXPECT_EQ(Request("prejemnik"), "stranka@primer.si"); // the INI reader drops the blanks around it
    EXPECT_EQ(Request("predmet"), "Podatki od PODJETJE1");
    EXPECT_EQ(Request("sporocilo"), "");
    EXPECT_EQ(Request("steviloprilog"), "1");
    EXPECT_EQ(Request("priloga1"), record.file("PODJETJE1.zip"));
    // One argument: the request file, made in the temporary folder and gone after the mailer ended.
    EXPECT_EQ(ReadWholeFile(record.file("argc")), "1\n");
    EXPECT_EQ(qx::platform::FolderOf(Lines(ReadWholeFile(record.file("path")))[0]), temp.path());
    EXPECT_TRUE(TempFolderEmpty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(qx::platform::PathExists(record.file("xdg")));
}

TEST_F(MailHandoffTest, NoticeBodyIsEscapedAndAMissingAttachmentCountsZero) {
    struct Case {
        std::optional<AnsiText> body;
        std::optional<AnsiText> attachment;
        std::string sporocilo;
    };
    const std::vector<Case> cases = {
        {AnsiText("10.12.2026 05:12:32: na FTP so prepisani podatki od X"), std::nullopt,
         "10.12.2026 05:12:32: na FTP so prepisani podatki od X"},
        {AnsiText("prva\rdruga"), AnsiText(record.file("ni.zip")), "prva#13druga"},
    };
    for (const auto& c : cases) {
        qx::handoffmail(session.selection, ui, AnsiText("Predmet"), c.body, c.attachment, AnsiText("a@b.si, c@d.si"));
        EXPECT_EQ(Request("sporocilo"), c.sporocilo);
        EXPECT_EQ(Request("steviloprilog"), "0");
        EXPECT_EQ(Request("priloga1"), "<none>");
        EXPECT_EQ(Request("prejemnik"), "a@b.si, c@d.si");
        EXPECT_EQ(RequestKeys().size(), 4u);
        EXPECT_TRUE(TempFolderEmpty());
    }
}

TEST_F(MailHandoffTest, AMailerThatCannotStartLeavesNoRequestFileAndNoMessage) {
    chmod(session.selection.mailerExe.c_str(), 0644);
    qx::handoffmail(session.selection, ui, AnsiText("P"), std::nullopt, std::nullopt, AnsiText("a@b.si"));
    EXPECT_TRUE(TempFolderEmpty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MailHandoffTest, WithoutATemporaryFileTheMailerIsNotStartedAndTheErrorPassesOn) {
    setenv("TMPDIR", temp.file("missing").c_str(), 1);
    EXPECT_THROW(qx::handoffmail(session.selection, ui, AnsiText("P"), std::nullopt, std::nullopt, AnsiText("a@b.si")),
                 qx::Error);
    EXPECT_FALSE(qx::platform::PathExists(record.file("argc")));
}

TEST_F(MailHandoffTest, WithoutTheMailerOrTheSwitchTheMailClientIsUsed) {
    WriteWholeFile(record.file("arhiv.zip"), "zip");
    for (bool switchOn : {true, false}) {
        session.selection.externalMailer = switchOn;
        if (switchOn)
            session.selection.mailerExe = programs.file("VorMail.exe"); // not there
        qx::sendmail(session, ui, "stranka@primer.si", record.file("arhiv.zip"));
        EXPECT_EQ(Lines(ReadWholeFile(record.file("xdg"))),
                  (std::vector<std::string>{"--utf8", "--subject", "Podatki od PODJETJE1", "--attach",
                                            record.file("arhiv.zip"), "stranka@primer.si"}));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(qx::platform::PathExists(record.file("request.ini")));
    }
}

TEST_F(MailHandoffTest, MailClientGetsBodyInUtf8) {
    session.selection.externalMailer = false;
    qx::handoffmail(session.selection, ui, qx::platform::ToAnsi("Obvestilo \xC4\x8D"),
                    qx::platform::ToAnsi("Besedilo \xC5\xBE"), std::nullopt, AnsiText("a@b.si"));
    EXPECT_EQ(Lines(ReadWholeFile(record.file("xdg"))),
              (std::vector<std::string>{"--utf8", "--subject", "Obvestilo \xC4\x8D", "--body", "Besedilo \xC5\xBE",
                                        "a@b.si"}));
}

TEST_F(MailHandoffTest, AFailingOrMissingMailClientSaysTheMailWasNotSent) {
    session.selection.externalMailer = false;
    InstallXdgEmail(1);
    qx::handoffmail(session.selection, ui, AnsiText("P"), std::nullopt, std::nullopt, AnsiText("a@b.si"));
    setenv("PATH", bin.file("nothing-here").c_str(), 1);
    qx::handoffmail(session.selection, ui, AnsiText("P"), std::nullopt, std::nullopt, AnsiText("a@b.si"));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"E-mail ni bil poslan.", "E-mail ni bil poslan."}));
}

TEST_F(MailHandoffTest, ABlankAddressHandsNothingOff) {
    for (std::string email : {"", "   "})
        qx::sendmail(session, ui, email, record.file("arhiv.zip"));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Elektronski naslov za pošiljanje podatkov ni podan.",
                                                     "Elektronski naslov za pošiljanje podatkov ni podan."}));
    EXPECT_FALSE(qx::platform::PathExists(record.file("request.ini")));
    EXPECT_FALSE(qx::platform::PathExists(record.file("xdg")));
}

} // namespace
