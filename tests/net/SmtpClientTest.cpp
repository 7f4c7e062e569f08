#include "net/SmtpClient.h"
#include "tests/support/LinuxPeers.h"

#include "net/MessageEncoder.h"
#include "net/MimeText.h"
#include "tests/net/SmtpPeers.h"
#include "text/Error.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace qx::net;
using qx::test::Hex;
using qx::test::PeerEvents;

namespace {

MailMessage Message(std::vector<MailAddress> to = {{"", "servis@primer.si"}}) {
    MailMessage m;
    m.from = {"Novak d.o.o.", "prenos@example.com"};
    m.to = std::move(to);
    m.subject = "Podatki";
    m.parts.push_back({"text/html", "UTF-8", "", "", {"<p>Pozdrav</p>"}});
    m.date = 1796875952;
    return m;
}

std::vector<std::string> Only(const std::vector<std::string>& events, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.rfind(prefix, 0) == 0)
            out.push_back(e);
    return out;
}

// The words before the message hex: what the server saw, in order.
std::vector<std::string> Verbs(const std::vector<std::string>& events) {
    std::vector<std::string> out;
    for (const auto& e : events)
        out.push_back(e.substr(0, e.find(' ')));
    return out;
}

std::string ErrorOf(SmtpClient& client, const MailMessage& message) {
    try {
        client.send(message);
    } catch (const qx::Error& e) {
        return e.what();
    }
    return "";
}

std::string ConnectError(SmtpClient& client) {
    try {
        client.connect();
    } catch (const qx::Error& e) {
        return e.kindName() + ": " + e.what();
    }
    return "";
}

SmtpClient& Configure(SmtpClient& client, int port, SmtpTlsMode mode = SmtpTlsMode::None,
                      TlsVersion version = TlsVersion::Tls1_0) {
    client.setHost("127.0.0.1");
    client.setPort(port);
    client.setGreetingName("delovna.postaja");
    client.setUserName("uporabnik");
    client.setPassword("geslo");
    client.setReplyTimeout(std::chrono::seconds(5));
    if (mode != SmtpTlsMode::None) {
        TlsSettings tls;
        tls.minVersion = tls.maxVersion = version;
        client.attachTls(tls);
        client.setTlsMode(mode);
    }
    return client;
}

const std::string kUserHex = Hex("uporabnik");
const std::string kPasswordHex = Hex("geslo");

TEST(SmtpClientSettings, PortFollowsTheTlsMode) {
    struct Case {
        int port;
        SmtpTlsMode mode;
        int expected;
    };
    const std::vector<Case> cases = {
        {25, SmtpTlsMode::Implicit, 465},
        {465, SmtpTlsMode::Implicit, 465},
        {587, SmtpTlsMode::Implicit, 587},
        {465, SmtpTlsMode::StartTlsWhenOffered, 25},
        {465, SmtpTlsMode::StartTlsRequired, 25},
        {25, SmtpTlsMode::StartTlsRequired, 25},
        {587, SmtpTlsMode::StartTlsWhenOffered, 587},
        {587, SmtpTlsMode::StartTlsRequired, 587},
        {465, SmtpTlsMode::None, 465}, // the mode does not change
    };
    for (const auto& c : cases) {
        SmtpClient client;
        client.setPort(c.port);
        client.attachTls({});
        client.setTlsMode(c.mode);
        EXPECT_EQ(client.port(), c.expected) << c.port << " mode " << static_cast<int>(c.mode);
    }
}

TEST(SmtpClientSettings, ImplicitBackToNoneMovesThePortBack) {
    SmtpClient client;
    client.attachTls({});
    client.setTlsMode(SmtpTlsMode::Implicit);
    EXPECT_EQ(client.port(), 465);
    client.setTlsMode(SmtpTlsMode::None);
    EXPECT_EQ(client.port(), 25);
}

TEST(SmtpClientSettings, StartTlsTurnsEhloOnAndATlsModeNeedsAChannel) {
    SmtpClient client;
    client.setUseEhlo(false);
    EXPECT_THROW(client.setTlsMode(SmtpTlsMode::StartTlsRequired), qx::Error);
    client.attachTls({});
    client.setTlsMode(SmtpTlsMode::StartTlsRequired);
    EXPECT_TRUE(client.useEhlo());
}

TEST(SmtpClientSettings, HostAndPortAreRequired) {
    SmtpClient client;
    EXPECT_EQ(ConnectError(client), "SmtpError: A Host is required");
    client.setHost("127.0.0.1");
    client.setPort(0);
    EXPECT_EQ(ConnectError(client), "SmtpError: A Port is required");
    EXPECT_FALSE(client.connected());
}

TEST(SmtpClientServer, PlainWithAuthLogin) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    auto server = qx::test::StartSmtpServer();
    SmtpClient client;
    Configure(client, server->port()).connect();
    EXPECT_TRUE(client.connected());
    EXPECT_EQ(ConnectError(client), "SmtpError: Already connected.");
    client.send(Message({{"", "servis@primer.si"}, {"Ana", "ana@primer.si"}}));
    client.disconnect();
    EXPECT_FALSE(client.connected());
    auto events = PeerEvents(*server, "QUIT");
    EXPECT_EQ(Verbs(events), (std::vector<std::string>{"EHLO", "AUTH", "MAIL", "RCPT", "RCPT", "DATA", "QUIT"}));
    EXPECT_EQ(events[0], "EHLO delovna.postaja");
    EXPECT_EQ(events[1], "AUTH LOGIN " + kUserHex + " " + kPasswordHex);
    EXPECT_EQ(events[2], "MAIL prenos@example.com");
    EXPECT_EQ(events[4], "RCPT ana@primer.si");
    EXPECT_EQ(events[5], "DATA " + Hex(EncodeMessage(Message({{"", "servis@primer.si"}, {"Ana", "ana@primer.si"}}))));
    EXPECT_TRUE(std::find(client.capabilities().begin(), client.capabilities().end(), "AUTH LOGIN PLAIN") !=
                client.capabilities().end());
}

// Each case: the server's options, the client's mode and version, whether TLS carries the mail.
TEST(SmtpClientServer, TlsModesAgainstARealServer) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    struct Case {
        std::vector<std::string> server;
        SmtpTlsMode mode;
        TlsVersion version;
        std::string tls; // the version the server saw after the handshake, empty for plain text
    };
    const std::vector<Case> cases = {
        {{"--starttls", "offered"}, SmtpTlsMode::StartTlsWhenOffered, TlsVersion::Tls1_2, "TLSv1.2"},
        {{"--starttls", "required"}, SmtpTlsMode::StartTlsRequired, TlsVersion::Tls1_2, "TLSv1.2"},
        {{}, SmtpTlsMode::StartTlsWhenOffered, TlsVersion::Tls1_2, ""},
        {{"--implicit-tls"}, SmtpTlsMode::Implicit, TlsVersion::Tls1_2, "TLSv1.2"},
        {{"--implicit-tls"}, SmtpTlsMode::Implicit, TlsVersion::Tls1_0, "TLSv1"},
        {{"--starttls", "offered"}, SmtpTlsMode::StartTlsRequired, TlsVersion::Tls1_1, "TLSv1.1"},
        {{"--starttls", "offered", "--tls-version", "1.0"}, SmtpTlsMode::StartTlsRequired, TlsVersion::Tls1_0, "TLSv1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tls + " mode " + std::to_string(static_cast<int>(c.mode)));
        auto server = qx::test::StartSmtpServer(c.server);
        SmtpClient client;
        Configure(client, server->port(), c.mode, c.version).connect();
        client.send(Message());
        EXPECT_EQ(client.tlsActive(), !c.tls.empty());
        client.disconnect();
        auto events = PeerEvents(*server, "QUIT");
        auto tls = Only(events, "TLS ");
        EXPECT_EQ(tls, c.tls.empty() ? std::vector<std::string>{} : std::vector<std::string>{"TLS " + c.tls});
        EXPECT_EQ(Only(events, "AUTH").size(), 1u);
        EXPECT_EQ(Only(events, "DATA").size(), 1u);
    }
}

TEST(SmtpClientServer, RequiredStartTlsFailsWhenTheServerDoesNotOfferIt) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    auto server = qx::test::StartSmtpServer();
    SmtpClient client;
    Configure(client, server->port(), SmtpTlsMode::StartTlsRequired).connect();
    EXPECT_EQ(ErrorOf(client, Message()), "SSL is not available on this server.");
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(Verbs(PeerEvents(*server, "QUIT")), (std::vector<std::string>{"EHLO", "QUIT"}));
}

TEST(SmtpClientServer, VersionTheServerRefusesFailsTheHandshake) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    auto server = qx::test::StartSmtpServer({"--implicit-tls", "--tls-version", "1.2"});
    SmtpClient client;
    Configure(client, server->port(), SmtpTlsMode::Implicit, TlsVersion::Tls1_0);
    EXPECT_EQ(ConnectError(client).rfind("TlsError: SSL negotiation failed", 0), 0u);
    EXPECT_FALSE(client.connected());

    auto starttls = qx::test::StartSmtpServer({"--starttls", "offered", "--tls-version", "1.2"});
    Configure(client, starttls->port(), SmtpTlsMode::StartTlsWhenOffered, TlsVersion::Tls1_0).connect();
    EXPECT_EQ(ErrorOf(client, Message()), "SSL negotiation failed.");
    EXPECT_FALSE(client.connected());
}

// scripts/test-windows runs this in a Wine prefix whose Schannel has TLS 1.0 turned off, as
// newer Windows have it: the handshake fails at once with the usual texts, never a time-out.
TEST(SmtpClientServer, AVersionTheSystemTurnedOffFailsTheHandshake) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    if (!std::getenv("QX_TLS1_0_TURNED_OFF"))
        GTEST_SKIP() << "needs a system with TLS 1.0 turned off (QX_TLS1_0_TURNED_OFF, scripts/test-windows)";
    auto implicit = qx::test::StartSmtpServer({"--implicit-tls", "--tls-version", "1.0"});
    SmtpClient client;
    Configure(client, implicit->port(), SmtpTlsMode::Implicit, TlsVersion::Tls1_0);
    const std::string error = ConnectError(client);
    EXPECT_EQ(error.rfind("TlsError: SSL negotiation failed: ", 0), 0u) << error;
    EXPECT_FALSE(client.connected());

    auto starttls = qx::test::StartSmtpServer({"--starttls", "offered", "--tls-version", "1.0"});
    Configure(client, starttls->port(), SmtpTlsMode::StartTlsRequired, TlsVersion::Tls1_0).connect();
    EXPECT_EQ(ErrorOf(client, Message()), "SSL negotiation failed.");
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(Only(PeerEvents(*starttls, "QUIT"), "MAIL"), std::vector<std::string>{});
}

TEST(SmtpClientServer, AuthLoginOnlyWhenOffered) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    struct Case {
        std::vector<std::string> server;
        bool authenticates;
    };
    for (const auto& c : std::vector<Case>{{{"--only-plain"}, false}, {{"--auth-equals"}, true}}) {
        auto server = qx::test::StartSmtpServer(c.server);
        SmtpClient client;
        Configure(client, server->port()).connect();
        client.send(Message());
        client.disconnect();
        auto verbs = Verbs(PeerEvents(*server, "QUIT"));
        EXPECT_EQ(verbs[1], c.authenticates ? "AUTH" : "MAIL");
    }
}

TEST(SmtpClientServer, WithoutUserNameNoAuthIsSent) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    auto server = qx::test::StartSmtpServer();
    SmtpClient client;
    Configure(client, server->port()).setUserName("");
    client.connect();
    client.send(Message());
    client.disconnect();
    EXPECT_EQ(Verbs(PeerEvents(*server, "QUIT")), (std::vector<std::string>{"EHLO", "MAIL", "RCPT", "DATA", "QUIT"}));
}

TEST(SmtpClientServer, RefusalsResetTheTransactionAndCarryTheServerText) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    struct Case {
        std::string name;
        std::vector<MailAddress> to;
        std::string password;
        std::string error;
        std::vector<std::string> verbs;
    };
    const std::vector<Case> cases = {
        {"refused recipient",
         {{"", "servis@primer.si"}, {"", "nihce@primer.si"}, {"", "ana@primer.si"}},
         "geslo",
         "5.1.1 <nihce@primer.si>: Recipient address rejected",
         {"EHLO", "AUTH", "MAIL", "RCPT", "RCPT", "RSET", "QUIT"}},
        {"no recipients", {}, "geslo", "Error: need RCPT command", {"EHLO", "AUTH", "MAIL", "RSET", "QUIT"}},
        {"wrong password",
         {{"", "servis@primer.si"}},
         "napacno",
         "5.7.8 Authentication credentials invalid",
         {"EHLO", "AUTH", "QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto server = qx::test::StartSmtpServer({"--refuse", "nihce@primer.si"});
        SmtpClient client;
        Configure(client, server->port()).setPassword(c.password);
        client.connect();
        EXPECT_EQ(ErrorOf(client, Message(c.to)), c.error);
        client.disconnect();
        EXPECT_EQ(Verbs(PeerEvents(*server, "QUIT")), c.verbs);
    }
}

TEST(SmtpClientServer, ConnectionRefusedIsASocketError) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    int port;
    {
        auto server = qx::test::StartSmtpServer();
        port = server->port();
    }
    SmtpClient client;
    Configure(client, port);
    EXPECT_EQ(ConnectError(client).rfind("SocketError: ", 0), 0u);
    EXPECT_FALSE(client.connected());
}

// Scripted peers: the exact lines the client sends.
struct ScriptCase {
    std::string name;
    std::string script;
    SmtpTlsMode mode;
    std::string connectError;       // kind and text, empty when connect succeeds
    std::string sendError;          // empty when the send succeeds
    std::vector<std::string> lines; // what the peer received
};

class SmtpClientScripted : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(SmtpClientScripted, SendsExactlyTheseLines) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    const ScriptCase& c = GetParam();
    auto peer = qx::test::StartScriptedSmtp(c.script);
    SmtpClient client;
    Configure(client, peer->port(), c.mode).setReplyTimeout(std::chrono::milliseconds(1500));
    std::string connectError = ConnectError(client);
    EXPECT_EQ(connectError, c.connectError);
    if (connectError.empty()) {
        EXPECT_EQ(ErrorOf(client, Message()), c.sendError);
        client.disconnect();
    }
    EXPECT_FALSE(client.connected());
    std::vector<std::string> lines;
    for (const auto& e : PeerEvents(*peer, "CLOSED"))
        if (e.rfind("LINE ", 0) == 0)
            lines.push_back(e.substr(5));
        else if (e.rfind("MESSAGE ", 0) == 0)
            lines.push_back("<message>");
    EXPECT_EQ(lines, c.lines);
}

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kUser64 = Base64Encode("uporabnik");
const std::string kPassword64 = Base64Encode("geslo");

INSTANTIATE_TEST_SUITE_P(
    Faults, SmtpClientScripted,
    ::testing::Values(
        ScriptCase{"AnswersTheUserNameWith235",
                   R"({"greeting": "220 ok", "replies": ["250-x\n250 AUTH=PLAIN LOGIN", "334 VXNlcm5hbWU6",
                       "235 welcome", "250 ok", "250 ok", "354 go", "250 queued"]})",
                   SmtpTlsMode::None,
                   "",
                   "",
                   {"EHLO delovna.postaja", "AUTH LOGIN", kUser64, "MAIL FROM:<prenos@example.com>",
                    "RCPT TO:<servis@primer.si>", "DATA", "<message>", ".", "QUIT"}},
        ScriptCase{"EhloRefusedFallsBackToHelo",
                   R"({"greeting": "220 ok", "replies": ["502 no", "250 hello", "250 ok", "250 ok", "354 go",
                       "250 queued"]})",
                   SmtpTlsMode::None,
                   "",
                   "",
                   {"EHLO delovna.postaja", "HELO delovna.postaja", "MAIL FROM:<prenos@example.com>",
                    "RCPT TO:<servis@primer.si>", "DATA", "<message>", ".", "QUIT"}},
        ScriptCase{"EhloAndHeloRefused",
                   R"({"greeting": "220 ok", "replies": ["502 no", "501 go away"]})",
                   SmtpTlsMode::None,
                   "SmtpReplyError: go away",
                   "",
                   {"EHLO delovna.postaja", "HELO delovna.postaja"}},
        ScriptCase{"GreetingNot220", R"({"greeting": "554 busy"})", SmtpTlsMode::None, "SmtpReplyError: busy", "", {}},
        ScriptCase{"StartTlsRefused",
                   R"({"greeting": "220 ok", "replies": ["250-x\n250 STARTTLS", "454 later"]})",
                   SmtpTlsMode::StartTlsWhenOffered,
                   "",
                   "Start SSL negotiation command failed.",
                   {"EHLO delovna.postaja", "STARTTLS", "QUIT"}},
        ScriptCase{"StartTlsAcceptedButNoHandshake",
                   R"({"greeting": "220 ok", "replies": ["250-x\n250 starttls", "NOTLS:220 go"]})",
                   SmtpTlsMode::StartTlsRequired,
                   "",
                   "SSL negotiation failed.",
                   {"EHLO delovna.postaja", "STARTTLS"}},
        ScriptCase{"RefusedDataEnd",
                   R"({"greeting": "220 ok", "replies": ["250 x", "250 ok", "250 ok", "354 go",
                       "552 too big", "250 reset"]})",
                   SmtpTlsMode::None,
                   "",
                   "too big",
                   {"EHLO delovna.postaja", "MAIL FROM:<prenos@example.com>", "RCPT TO:<servis@primer.si>", "DATA",
                    "<message>", ".", "RSET", "QUIT"}},
        ScriptCase{"GarbageGreeting",
                   R"({"greeting": "hello, this is not smtp"})",
                   SmtpTlsMode::None,
                   "Exception: Invalid reply from the server (no reply code): hello, this is not smtp",
                   "",
                   {}},
        ScriptCase{"ReplyWithoutCode",
                   R"({"greeting": "220 ok", "replies": ["OK then"]})",
                   SmtpTlsMode::None,
                   "Exception: Invalid reply from the server (no reply code): OK then",
                   "",
                   {"EHLO delovna.postaja"}},
        ScriptCase{"MultiLineReplyThatNeverEnds",
                   R"({"greeting": "220 ok", "replies": ["ENDLESS"]})",
                   SmtpTlsMode::None,
                   "Exception: Reply too long.",
                   "",
                   {"EHLO delovna.postaja"}},
        ScriptCase{"ServerStopsAnswering",
                   R"({"greeting": "220 ok", "replies": ["250 x", "HANG"]})",
                   SmtpTlsMode::None,
                   "",
                   "Read timed out.",
                   {"EHLO delovna.postaja", "MAIL FROM:<prenos@example.com>"}},
        ScriptCase{"ServerClosesDuringTheTransaction",
                   R"({"greeting": "220 ok", "replies": ["250 x", "CLOSE"]})",
                   SmtpTlsMode::None,
                   "",
                   "Connection closed by the server.",
                   {"EHLO delovna.postaja", "MAIL FROM:<prenos@example.com>"}}),
    [](const auto& info) { return info.param.name; });

} // namespace

namespace {

TEST(SmtpClientScriptedText, CommandsGoAsAsciiAndTheLoginAsOneBytePerCharacter) {
    QX_SKIP_WITHOUT_PEER_SERVERS();
    auto peer = qx::test::StartScriptedSmtp(
        R"({"greeting": "220 ok", "replies": ["250-x\n250 AUTH LOGIN", "334 a", "334 b", "235 ok", "250 ok",
            "250 ok", "354 go", "250 queued"]})");
    SmtpClient client;
    Configure(client, peer->port()).setUserName("uporabnik\xC3\xA9\xC5\xBE"); // é fits a byte, ž does not
    client.setPassword("g\xC4\x8D");
    client.setGreetingName("posta\xC5\xA1");
    client.connect();
    client.send(Message({{"", "\xC5\xBEiga@primer.si"}}));
    client.disconnect();
    std::vector<std::string> lines;
    for (const auto& e : PeerEvents(*peer, "CLOSED"))
        if (e.rfind("LINE ", 0) == 0)
            lines.push_back(e.substr(5));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "EHLO posta?");
    EXPECT_EQ(lines[2], Base64Encode("uporabnik\xE9?"));
    EXPECT_EQ(lines[3], Base64Encode("g?"));
    EXPECT_EQ(lines[5], "RCPT TO:<?iga@primer.si>");
}

} // namespace
