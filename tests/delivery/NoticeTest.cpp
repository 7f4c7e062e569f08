#include "delivery/Notice.h"

#include "BuildConfig.h"
#include "delivery/Scramble.h"
#include "platform/Clock.h"
#include "tests/net/MailReader.h"
#include "tests/net/SmtpPeers.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using qx::test::ChildProcess;
using qx::test::PeerEvents;
using qx::test::TempDir;

// 10 December 2026 04:12:32 UTC: 05:12:32 in Ljubljana.
constexpr std::int64_t kMoment = 1796875952;
const std::string kFirm = "Mesarija \xC4\x8C"
                          "op & \xC5\xA0"
                          "tefan \xC5\xBD"
                          "abnik d.o.o.";
const std::string kSent = "Obvestilo o prepisu podatkov je bilo poslano po elektronski pošti na naslov ";

std::string Html(const std::string& firm) {
    return "Datum: 10.12.2026<br/>Ura: 05:12:32<br/><br/><br/>Na FTP strežnik so bili iz programa KERNO prepisani "
           "podatki stranke " +
           firm +
           ", izdani do datuma 30.11.2026.<br/><br/>Opomba: to sporočilo je bilo poslano v imenu avtorja sporočila in "
           "zato nanj ne odgovarjajte.<br/>Če menite, da vam je sporočilo posredovano pomotoma, se prosimo obrnite na "
           "avtorja sporočila.";
}

std::string MessageOf(const std::vector<std::string>& events) {
    for (const auto& e : events)
        if (e.rfind("DATA ", 0) == 0)
            return qx::test::FromHex(e.substr(5));
    return "";
}

// The notice with the clock fixed, the descriptor roots on 127.0.0.1 and the mail account
// set in the session (a descriptor download that finds nothing keeps it).
class NoticeTest : public ::testing::Test {
protected:
    qx::Session session;
    qx::test::RecordingOperator ui;

    void SetUp() override {
        setenv("TZ", "Europe/Ljubljana", 1);
        tzset();
        qx::platform::SetClockForTests([] { return kMoment; });
        setenv("QX_HTTPS_ROOT", "https://127.0.0.1:1", 1);
        setenv("QX_HTTP_ROOT", "http://127.0.0.1:1", 1);
        qx::SetNoticeReplyTimeoutForTests(std::chrono::seconds(5));
        session.selection.userDir = "PODJETJE1";
        session.run.firmName = kFirm;
        session.run.endDateText = "30.11.2026";
        session.serviceNoticeAddress = "servis@primer.si";
        session.smtp = {"uporabnik", "geslo", "127.0.0.1", "0", 0, 0};
    }
    void TearDown() override {
        qx::platform::SetClockForTests({});
        unsetenv("QX_HTTPS_ROOT");
        unsetenv("QX_HTTP_ROOT");
        unsetenv("TZ");
        tzset();
    }
    void UseServer(const ChildProcess& server, std::int32_t sifriranje = 0, std::int32_t ssl = 0) {
        session.smtp.vrata = std::to_string(server.port());
        session.smtp.sifriranje = sifriranje;
        session.smtp.ssl = ssl;
    }
};

TEST(NoticeCodes, SifriranjeAndSslTables) {
    using qx::net::SmtpTlsMode;
    using qx::net::TlsVersion;
    const std::vector<std::pair<int, SmtpTlsMode>> modes = {{0, SmtpTlsMode::None},
                                                            {1, SmtpTlsMode::Implicit},
                                                            {2, SmtpTlsMode::StartTlsWhenOffered},
                                                            {3, SmtpTlsMode::StartTlsRequired},
                                                            {4, SmtpTlsMode::None},
                                                            {-1, SmtpTlsMode::None}};
    for (const auto& [code, mode] : modes)
        EXPECT_EQ(qx::TlsModeOf(code), mode) << code;
    const std::vector<std::pair<int, TlsVersion>> versions = {{0, TlsVersion::Tls1_0}, {1, TlsVersion::Tls1_1},
                                                              {2, TlsVersion::Tls1_2}, {3, TlsVersion::Tls1_0},
                                                              {7, TlsVersion::Tls1_0}, {-1, TlsVersion::Tls1_0}};
    for (const auto& [code, version] : versions)
        EXPECT_EQ(qx::TlsVersionOf(code), version) << code;
}

TEST_F(NoticeTest, HtmlNoticeReachesTheServiceAndReadsBackExactly) {
    auto server = qx::test::StartSmtpServer();
    UseServer(*server);
    qx::sendmessage(session, ui, "");
    EXPECT_EQ(ui.messages, std::vector<std::string>{kSent + "servis@primer.si."});

    auto events = PeerEvents(*server, "QUIT");
    EXPECT_EQ(events[1], "AUTH LOGIN " + qx::test::Hex("uporabnik") + " " + qx::test::Hex("geslo"));
    EXPECT_EQ(events[2], std::string("MAIL ") + QX_SENDER_ADDRESS);
    EXPECT_EQ(events[3], "RCPT servis@primer.si");
    auto mail = qx::test::ReadWithPython(MessageOf(events));
    EXPECT_EQ(mail.all("header"),
              (std::vector<std::string>{"From", "Subject", "To", "MIME-Version", "Date", "Content-Type",
                                        "Content-Transfer-Encoding", "Content-Disposition"}));
    EXPECT_EQ(mail.one("subject"), "Podatki stranke " + kFirm + ", izdani do 30.11.2026");
    EXPECT_EQ(mail.one("from-name"), kFirm);
    EXPECT_EQ(mail.one("from-address"), QX_SENDER_ADDRESS);
    EXPECT_EQ(mail.all("to-address"), std::vector<std::string>{"servis@primer.si"});
    EXPECT_EQ(mail.one("content-type"), "text/html");
    EXPECT_EQ(mail.one("body"), Html(kFirm) + "\n\n");
    EXPECT_NE(MessageOf(events).find("Date: Thu, 10 Dec 2026 05:12:32 +0100\r\n"), std::string::npos);
}

TEST_F(NoticeTest, TheMailAccountComesFromTheServiceDescriptor) {
    auto server = qx::test::StartSmtpServer({"--starttls", "required"});
    TempDir root;
    mkdir(root.file("ftp").c_str(), 0755);
    qx::test::WriteWholeFile(root.file("ftp/vortane.email"),
                             qx::Scramble("127.0.0.1\x01uporabnik\x01geslo\x01" + std::to_string(server->port()) +
                                              "\x01"
                                              "3\x01"
                                              "2",
                                          qx::kScrambleSeed));
    ChildProcess web({QX_PYTHON, std::string(QX_SOURCE_DIR) + "/tests/net/descriptor_server.py", root.path()});
    setenv("QX_HTTP_ROOT", ("http://127.0.0.1:" + std::to_string(web.port())).c_str(), 1);
    session.smtp = {};
    qx::sendmessage(session, ui, "");
    EXPECT_EQ(ui.messages, std::vector<std::string>{kSent + "servis@primer.si."});
    EXPECT_EQ(session.smtp.sifriranje, 3);
    auto events = PeerEvents(*server, "QUIT");
    EXPECT_EQ(qx::test::PeerEvents(web, "GET /ftp/vortane.email").back(), "GET /ftp/vortane.email");
    EXPECT_NE(std::find(events.begin(), events.end(), "TLS TLSv1.2"), events.end());
}

// sifriranje and ssl against servers that offer what each mode needs.
TEST_F(NoticeTest, TlsModesOfTheMailAccount) {
    struct Case {
        std::vector<std::string> server;
        std::int32_t sifriranje;
        std::int32_t ssl;
        std::string tls;     // the version the server saw; empty for plain text
        std::string message; // empty: the success message
    };
    const std::vector<Case> cases = {
        {{}, 0, 2, "", ""},
        {{"--implicit-tls"}, 1, 2, "TLSv1.2", ""},
        {{"--implicit-tls"}, 1, 7, "TLSv1", ""},
        {{"--starttls", "offered"}, 2, 1, "TLSv1.1", ""},
        {{}, 2, 0, "", ""},
        {{"--starttls", "required"}, 3, 0, "TLSv1", ""},
        {{}, 3, 0, "", "SSL is not available on this server."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sifriranje) + "/" + std::to_string(c.ssl));
        ui.messages.clear();
        auto server = qx::test::StartSmtpServer(c.server);
        UseServer(*server, c.sifriranje, c.ssl);
        qx::sendmessage(session, ui, "");
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message.empty() ? kSent + "servis@primer.si." : c.message});
        auto events = PeerEvents(*server, "QUIT");
        std::vector<std::string> tls;
        for (const auto& e : events)
            if (e.rfind("TLS ", 0) == 0)
                tls.push_back(e);
        EXPECT_EQ(tls, c.tls.empty() ? std::vector<std::string>{} : std::vector<std::string>{"TLS " + c.tls});
    }
}

TEST_F(NoticeTest, FirmNamesReadBackAsTheyWere) {
    for (std::string firm : {std::string(""), std::string("Firma \"Pri \\ Janezu\", d.o.o."),
                             std::string("\xC4\x8C"
                                         "ebelarstvo \"Medeni \\ cvet\" \xC5\xA1"
                                         "e dolgo ime podjetja")}) {
        SCOPED_TRACE(firm);
        auto server = qx::test::StartSmtpServer();
        UseServer(*server);
        session.run.firmName = firm;
        qx::sendmailVortane(session, ui, "");
        auto mail = qx::test::ReadWithPython(MessageOf(PeerEvents(*server, "QUIT")));
        EXPECT_EQ(mail.one("subject"), "Podatki stranke " + firm + ", izdani do 30.11.2026");
        EXPECT_EQ(mail.one("from-name"), firm.empty() ? QX_SENDER_ADDRESS : firm);
        EXPECT_EQ(mail.one("body"), Html(firm) + "\n\n");
        EXPECT_EQ(mail.all("defect"), std::vector<std::string>{});
    }
}

TEST_F(NoticeTest, RecipientListSplitsAtCommasAndSemicolons) {
    auto server = qx::test::StartSmtpServer();
    UseServer(*server);
    const std::string recipients = "a@primer.si; b@primer.si,c@primer.si ;";
    EXPECT_TRUE(qx::sendmailVortane(session, ui, recipients));
    EXPECT_EQ(ui.messages, std::vector<std::string>{kSent + recipients + "."});
    std::vector<std::string> rcpt;
    for (const auto& e : PeerEvents(*server, "QUIT"))
        if (e.rfind("RCPT ", 0) == 0)
            rcpt.push_back(e);
    EXPECT_EQ(rcpt, (std::vector<std::string>{"RCPT a@primer.si", "RCPT b@primer.si", "RCPT c@primer.si"}));
}

// The service's notice address goes into RCPT TO: a line end or NUL in it (from the mail
// file) stops the notice before any connection, so no command of the file's making is sent.
TEST_F(NoticeTest, LineEndsInTheNoticeAddressStopTheNotice) {
    for (std::string address : {std::string("servis@primer.si\rRCPT TO:<x@y.si>"), std::string("a@b.si\nDATA"),
                                std::string("a@b.si\0x", 8)}) {
        ui.messages.clear();
        session.serviceNoticeAddress = address;
        session.smtp.vrata = "1"; // nothing listens there: a connection attempt would show its own error
        EXPECT_FALSE(qx::sendmailVortane(session, ui, ""));
        EXPECT_EQ(ui.messages, std::vector<std::string>{
                                   "Naslov za obvestilo iz datoteke .mail vsebuje prelom vrstice ali znak NUL."});
    }
}

TEST_F(NoticeTest, RefusalsShowTheServerText) {
    struct Case {
        std::string notice;
        std::string message;
    };
    for (const auto& c :
         std::vector<Case>{{"", "Error: need RCPT command"},
                           {"nihce@primer.si", "5.1.1 <nihce@primer.si>: Recipient address rejected"}}) {
        ui.messages.clear();
        auto server = qx::test::StartSmtpServer({"--refuse", "nihce@primer.si"});
        UseServer(*server);
        session.serviceNoticeAddress = c.notice;
        qx::sendmessage(session, ui, "");
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        auto events = PeerEvents(*server, "QUIT");
        EXPECT_EQ(events[events.size() - 2], "RSET");
        EXPECT_EQ(events.back(), "QUIT");
    }
}

TEST_F(NoticeTest, ConnectFailuresNameTheErrorKind) {
    int closedPort;
    {
        auto server = qx::test::StartSmtpServer();
        closedPort = server->port();
    }
    session.smtp.vrata = std::to_string(closedPort);
    qx::sendmessage(session, ui, "");
    session.smtp.streznik = "";
    qx::sendmessage(session, ui, "");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].rfind("SocketError Napaka pri dostopu do SMTP strežnika : ", 0), 0u) << ui.messages[0];
    EXPECT_EQ(ui.messages[1], "SmtpError Napaka pri dostopu do SMTP strežnika : A Host is required");
}

TEST_F(NoticeTest, APortThatIsNoNumberPassesOnBeforeAnyConnection) {
    for (std::string port : {"", "25a"}) {
        session.smtp.vrata = port;
        try {
            qx::sendmessage(session, ui, "");
            ADD_FAILURE() << "no error for '" << port << "'";
        } catch (const qx::Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + port + "' is not a valid integer value");
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

// With an address in `Email` the short note goes to the user's mail program.
TEST_F(NoticeTest, AnEmailAddressSendsTheShortNoteThroughTheMailProgram) {
    TempDir bin;
    TempDir record;
    qx::test::WriteWholeFile(bin.file("xdg-email"), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                                                        record.file("xdg") + "\n");
    chmod(bin.file("xdg-email").c_str(), 0755);
    std::string path = std::getenv("PATH");
    setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
    session.smtp.streznik = "never.used.example";
    qx::sendmessage(session, ui, " stranka@primer.si");
    qx::sendmessage(session, ui, "   ");
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(qx::test::ReadWholeFile(record.file("xdg")),
              "--utf8\n--subject\nNa FTP so prepisani podatki od PODJETJE1\n--body\n10.12.2026 05:12:32: na FTP so "
              "prepisani podatki od PODJETJE1\n stranka@primer.si\n");
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Elektronski naslov za pošiljanje obvestila o prepisu podatkov ni podan."});
}

} // namespace
