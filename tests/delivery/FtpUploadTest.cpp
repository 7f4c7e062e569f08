// The whole upload: the account descriptor from a real HTTP server, the archive to a real
// FTP server (pyftpdlib), and the order of remote operations against the scripted server.
#include "delivery/FtpUpload.h"
#include "delivery/Scramble.h"

#include "tests/net/PeerServers.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace qx {
namespace {

using Lines = std::vector<std::string>;
using test::JsonString;

const Lines kSuccessLog = {"Prepis podatkov na FTP strežnik...", "Prijava na strežnik...",
                           "Prijava na strežnik uspešna...", "Začetek prepisovanja...", "Konec prepisovanja..."};
const std::string kRemoteName = "12345678901.zip";
const std::string kFolder = "SERVIS1";

// Keeps every value ProgressBar1 took, not only the last.
class BarRecordingOperator : public test::RecordingOperator {
public:
    std::vector<std::int64_t> fileBarValues;
    void setBarValue(ProgressBar bar, std::int64_t value) override {
        RecordingOperator::setBarValue(bar, value);
        if (bar == ProgressBar::File)
            fileBarValues.push_back(value);
    }
};

// One upload's world: the FTP home folder, the local archive, the service's web root
// serving "qfd.ftp" over plain HTTP (the HTTPS root refuses, so the fallback is used).
class FtpUpload : public ::testing::Test {
protected:
    void SetUp() override {
        archivePath = local.file("archive.zip");
        archive.resize(1'500'000);
        for (std::size_t i = 0; i < archive.size(); ++i)
            archive[i] = static_cast<char>((i * 2654435761u) >> 13);
        test::WriteWholeFile(archivePath, archive);
        session.selection.workDir = local.path() + "TEMP/";
    }
    void TearDown() override {
        unsetenv("QX_HTTPS_ROOT");
        unsetenv("QX_HTTP_ROOT");
    }

    // Serves the descriptor "127.0.0.1;user;<password>;<port>;<root>"; `vrata` replaces the port.
    void ServeAccount(int ftpPort, const std::string& root, const std::string& password = "secret",
                      const std::string& vrata = "") {
        const std::string text =
            "127.0.0.1;user;" + password + ";" + (vrata.empty() ? std::to_string(ftpPort) : vrata) + ";" + root;
        web = test::StartHttpServer(
            "none", "{\"/ftp/qfd.ftp\": {\"body\": " + JsonString(Scramble(text, kScrambleSeed)) + "}}");
        setenv("QX_HTTPS_ROOT", "https://127.0.0.1:1", 1);
        setenv("QX_HTTP_ROOT", ("http://127.0.0.1:" + std::to_string(web->port())).c_str(), 1);
    }

    void MakeFolder(const std::string& relative) { std::filesystem::create_directories(home.path() + relative); }

    bool Upload() { return UploadArchive(session, ui, Scramble(kFolder, kScrambleSeed), archivePath, kRemoteName); }

    test::TempDir home, local;
    std::string archivePath, archive;
    Session session;
    BarRecordingOperator ui;
    std::unique_ptr<test::ChildProcess> web;
};

TEST_F(FtpUpload, StoresTheArchiveAndReadsTheNoticeAddress) {
    MakeFolder(kFolder);
    test::WriteWholeFile(home.file(kFolder + "/" + kFolder + ".mail"), "servis@example.com\r\nsecond line\r\n");
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "");

    EXPECT_TRUE(Upload());
    EXPECT_EQ(test::ReadWholeFile(home.file(kFolder + "/" + kRemoteName)), archive);
    EXPECT_EQ(session.serviceNoticeAddress, "servis@example.com");
    EXPECT_TRUE(std::filesystem::exists(session.selection.workDir + kFolder + ".mail"));
    EXPECT_EQ(ui.log, kSuccessLog);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.barMaximum[ProgressBar::File], static_cast<std::int64_t>(archive.size()));
    // The bar climbs to the archive's size during STOR (the listings move it too).
    EXPECT_NE(std::find(ui.fileBarValues.begin(), ui.fileBarValues.end(), static_cast<std::int64_t>(archive.size())),
              ui.fileBarValues.end());
    EXPECT_FALSE(ui.barVisible[ProgressBar::File]);
    EXPECT_FALSE(ui.barVisible[ProgressBar::Total]);
    EXPECT_GT(ui.processed, 5);
    EXPECT_EQ(session.ftp.streznik, "127.0.0.1");
}

TEST_F(FtpUpload, WithRootTheFolderIsEnteredAsRootBackslashFolder) {
    // The login folder lists the service folder; CWD goes to "data\SERVIS1" as the server
    // names it (on this server a folder of exactly that name).
    MakeFolder(kFolder);
    MakeFolder("data\\" + kFolder);
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "data");

    EXPECT_TRUE(Upload());
    EXPECT_EQ(test::ReadWholeFile(home.file("data\\" + kFolder + "/" + kRemoteName)), archive);
    EXPECT_FALSE(std::filesystem::exists(home.file(kFolder + "/" + kRemoteName)));
    EXPECT_EQ(session.serviceNoticeAddress, ""); // no mail file there
}

TEST_F(FtpUpload, MissingFolderOrOtherLetterCaseIsReported) {
    for (std::string present : {"", "servis1", "SERVIS1.d"}) {
        test::TempDir otherHome;
        if (!present.empty())
            std::filesystem::create_directories(otherHome.path() + present);
        auto ftp = test::StartFtpServer(otherHome.path());
        ServeAccount(ftp->port(), "");
        ui.log.clear();
        ui.messages.clear();
        EXPECT_FALSE(Upload()) << present;
        EXPECT_EQ(ui.messages, Lines{"Izhodna mapa ne obstaja!\nPrepis podatkov ni bil uspešen."}) << present;
        EXPECT_EQ(ui.log,
                  (Lines{"Prepis podatkov na FTP strežnik...", "Prijava na strežnik...", "Konec prepisovanja..."}));
    }
}

TEST_F(FtpUpload, OverwritesAnEarlierArchiveAndKeepsAnEmptyFirstLineOut) {
    MakeFolder(kFolder);
    test::WriteWholeFile(home.file(kFolder + "/" + kRemoteName), std::string(5'000'000, 'o'));
    test::WriteWholeFile(home.file(kFolder + "/" + kFolder + ".mail"), "\r\nservis@example.com\r\n");
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "");

    EXPECT_TRUE(Upload());
    EXPECT_EQ(test::ReadWholeFile(home.file(kFolder + "/" + kRemoteName)), archive);
    EXPECT_EQ(session.serviceNoticeAddress, "");
}

TEST_F(FtpUpload, NoticeAddressIsTheMailFilesFirstLineInItsEncoding) {
    MakeFolder(kFolder);
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "");
    const std::pair<std::string, std::string> cases[] = {
        {"servis@example.com", "servis@example.com"},
        {"\xEF\xBB\xBFra\xC4\x8Dun@example.com\r\n", "ra\xC4\x8Dun@example.com"},
        {"ra\xE8un@example.com\n", "ra\xC4\x8Dun@example.com"}, // windows-1250
        {"", ""},
    };
    for (const auto& [content, address] : cases) {
        test::WriteWholeFile(home.file(kFolder + "/" + kFolder + ".mail"), content);
        session.serviceNoticeAddress.clear();
        EXPECT_TRUE(Upload());
        EXPECT_EQ(session.serviceNoticeAddress, address);
    }
}

TEST_F(FtpUpload, RefusedStoreEndsInFalseWithoutMessage) {
    MakeFolder(kFolder);
    auto ftp = test::StartFtpServer(home.path(), "elr"); // list and read only
    ServeAccount(ftp->port(), "");

    EXPECT_FALSE(Upload());
    EXPECT_TRUE(ui.messages.empty());
    // The log names the step that failed, with the server's text.
    Lines log = kSuccessLog;
    log.insert(log.end() - 1, "Prepis ni uspel: Not enough privileges.");
    EXPECT_EQ(ui.log, log);
    EXPECT_FALSE(std::filesystem::exists(home.file(kFolder + "/" + kRemoteName)));
}

TEST_F(FtpUpload, NoAccountOrNoArchiveEndsQuietly) {
    web = test::StartHttpServer("none", "{}");
    setenv("QX_HTTPS_ROOT", "https://127.0.0.1:1", 1);
    setenv("QX_HTTP_ROOT", ("http://127.0.0.1:" + std::to_string(web->port())).c_str(), 1);
    session.ftp.streznik = "left over";
    EXPECT_FALSE(Upload());
    EXPECT_EQ(session.ftp.streznik, "");

    MakeFolder(kFolder);
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "");
    archivePath = local.file("missing.zip");
    EXPECT_FALSE(Upload());
    EXPECT_TRUE(ui.log.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FtpUpload, PortAndLoginErrorsPassOn) {
    MakeFolder(kFolder);
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "", "secret", "21a");
    try {
        Upload();
        FAIL() << "no error for the port";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'21a' is not a valid integer value");
    }
    EXPECT_EQ(ui.log, Lines{"Prepis podatkov na FTP strežnik..."});

    ui.log.clear();
    ServeAccount(ftp->port(), "", "wrong");
    try {
        Upload();
        FAIL() << "no error for the login";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Authentication failed.");
    }
    EXPECT_EQ(ui.log, (Lines{"Prepis podatkov na FTP strežnik...", "Prijava na strežnik..."}));
}

// The scripted server lists the same entries for every MLSD: the order of the remote
// operations, and success resting on the final listing.
TEST_F(FtpUpload, RemoteOperationsComeInTheirFixedOrder) {
    for (bool listedAfterStore : {true, false}) {
        std::string listing = "type=dir; SERVIS1|type=file;size=20; SERVIS1.mail";
        if (listedAfterStore)
            listing += "|type=file;size=" + std::to_string(archive.size()) + "; " + kRemoteName;
        auto ftp = test::StartFtpScript({"--listing", listing, "--file", "SERVIS1.mail=notice@example.com"});
        ServeAccount(ftp->port(), "");
        session.serviceNoticeAddress.clear();
        EXPECT_EQ(Upload(), listedAfterStore);
        EXPECT_EQ(session.serviceNoticeAddress, "notice@example.com");
        Lines commands = test::LinesStartingWith(ftp->readOutput(0.5), "CMD ");
        ASSERT_GE(commands.size(), 7u);
        EXPECT_EQ(Lines(commands.begin() + 7, commands.end()),
                  (Lines{"PASV", "MLSD", "CWD SERVIS1", "PASV", "MLSD", "PASV", "RETR SERVIS1.mail", "PASV",
                         "STOR " + kRemoteName, "PASV", "MLSD", "QUIT"}));
    }
}

// A descriptor or setting value with a line end would carry a command of its own to the
// server: the upload stops before connecting, with the value's source in the error.
TEST_F(FtpUpload, LineEndsInCommandValuesStopTheUploadBeforeAnythingIsSent) {
    struct Case {
        std::string user, root, folder, error;
    };
    const Case cases[] = {
        {"kerno", "x\r\nMKD pwned", kFolder,
         "Podatek »root« iz opisa računa qfd.ftp vsebuje prelom vrstice ali znak NUL."},
        {"kerno\nMKD pwned", "", kFolder,
         "Podatek »prijava« iz opisa računa qfd.ftp vsebuje prelom vrstice ali znak NUL."},
        {"kerno", "", kFolder + "\rMKD pwned", "Mapa iz nastavitve Servis vsebuje prelom vrstice ali znak NUL."},
    };
    for (const auto& c : cases) {
        auto ftp = test::StartFtpScript({"--listing", "type=dir; " + kFolder});
        const std::string text = "127.0.0.1;" + c.user + ";secret;" + std::to_string(ftp->port()) + ";" + c.root;
        web = test::StartHttpServer(
            "none", "{\"/ftp/qfd.ftp\": {\"body\": " + JsonString(Scramble(text, kScrambleSeed)) + "}}");
        setenv("QX_HTTPS_ROOT", "https://127.0.0.1:1", 1);
        setenv("QX_HTTP_ROOT", ("http://127.0.0.1:" + std::to_string(web->port())).c_str(), 1);
        std::string error = "(no error)";
        try {
            UploadArchive(session, ui, Scramble(c.folder, kScrambleSeed), archivePath, kRemoteName);
        } catch (const Error& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        const std::string out = ftp->readOutput(0.5);
        EXPECT_TRUE(test::LinesStartingWith(out, "CONNECT").empty()) << out;
    }
}

// Only the mail file's first bytes are fetched; its first line must end within them and
// hold no line break of its own. A bad mail file fails the upload before the archive is sent.
TEST_F(FtpUpload, MailFileIsReadToABoundAndItsFirstLineChecked) {
    struct Case {
        std::string name, content;
        bool uploaded;
        std::string address, logLine;
    };
    const Case cases[] = {
        {"HugeFileShortLine", "servis@example.com\r\n" + std::string(20'000'000, 'x'), true, "servis@example.com", ""},
        {"LongFirstLine", std::string(5000, 'a'), false, "",
         "Prepis ni uspel: Prva vrstica datoteke SERVIS1.mail je daljša od 4096 znakov."},
        {"BareCr", "servis@example.com\rRCPT TO:<x@y.si>\r\n", false, "",
         "Prepis ni uspel: Prva vrstica datoteke SERVIS1.mail vsebuje prelom vrstice ali znak NUL."},
        {"Nul", std::string("servis@example.com\0x\n", 21), false, "",
         "Prepis ni uspel: Prva vrstica datoteke SERVIS1.mail vsebuje prelom vrstice ali znak NUL."},
    };
    MakeFolder(kFolder);
    auto ftp = test::StartFtpServer(home.path());
    ServeAccount(ftp->port(), "");
    for (const auto& c : cases) {
        std::filesystem::remove(home.file(kFolder + "/" + kRemoteName));
        test::WriteWholeFile(home.file(kFolder + "/" + kFolder + ".mail"), c.content);
        session.serviceNoticeAddress.clear();
        ui.log.clear();
        EXPECT_EQ(Upload(), c.uploaded) << c.name;
        EXPECT_EQ(session.serviceNoticeAddress, c.address) << c.name;
        EXPECT_EQ(std::filesystem::exists(home.file(kFolder + "/" + kRemoteName)), c.uploaded) << c.name;
        EXPECT_LE(std::filesystem::file_size(session.selection.workDir + kFolder + ".mail"), 4096u) << c.name;
        if (!c.logLine.empty())
            EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), c.logLine), ui.log.end()) << c.name;
    }
}

// The listing's size fact proves the upload: a cut upload fails even when the server says
// 226 and lists a file of the right name.
TEST_F(FtpUpload, AnUploadCutShortOrListedWithAnotherSizeFails) {
    struct Case {
        std::string name;
        Lines options;
        std::string listedSize;
    };
    const Case cases[] = {
        {"ListedSizeDiffers", {}, std::to_string(archive.size() - 1)},
        {"CutAndRefused", {"--cut-stor", "200000"}, "200000"},
        {"CutAndAcknowledged", {"--cut-stor", "200000", "--cut-reply", "226 Stored"}, "200000"},
    };
    for (const auto& c : cases) {
        Lines options = {"--listing", "type=dir; SERVIS1|type=file;size=" + c.listedSize + "; " + kRemoteName};
        options.insert(options.end(), c.options.begin(), c.options.end());
        auto ftp = test::StartFtpScript(options);
        ServeAccount(ftp->port(), "");
        ui.messages.clear();
        EXPECT_FALSE(Upload()) << c.name;
        EXPECT_TRUE(ui.messages.empty()) << c.name;
        EXPECT_EQ(ui.log.back(), "Konec prepisovanja...") << c.name;
    }
}

TEST(LocalFileSize, SizeOrMinusOne) {
    test::TempDir dir;
    test::WriteWholeFile(dir.file("f"), "12345");
    EXPECT_EQ(LocalFileSize(dir.file("f")), 5);
    test::WriteWholeFile(dir.file("empty"), "");
    EXPECT_EQ(LocalFileSize(dir.file("empty")), 0);
    EXPECT_EQ(LocalFileSize(dir.file("none")), -1);
}

} // namespace
} // namespace qx
