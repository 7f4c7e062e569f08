// The connection stack and the line-protocol core against scripted servers.
#include "net/PingPong.h"

#include "tests/net/PeerServers.h"
#include "tests/support/ErrorText.h"
#include "text/Error.h"

#include <gtest/gtest.h>

namespace qx::net {

// Test listings name a TLS version instead of dumping its bytes.
void PrintTo(TlsVersion version, std::ostream* out) {
    *out << (version == TlsVersion::Tls1_0 ? "TLS 1.0" : version == TlsVersion::Tls1_1 ? "TLS 1.1" : "TLS 1.2");
}

namespace {

using namespace std::chrono_literals;
using test::StartLineServer;

using test::ErrorText;

struct Session {
    explicit Session(int port) : pingpong(connection) { connection.connect("127.0.0.1", static_cast<uint16_t>(port)); }
    Connection connection;
    PingPong pingpong;
};

TEST(Transport, SendsCommandsAndReadsMultiLineReplies) {
    auto server = StartLineServer(R"([[{"send": "220-Hello\r\n220 ready\r\n"}, {"read": 1},
                                      {"send": "331 Password required\n"}, {"read": 1},
                                      {"send": "230 Logged in\r\n"}]])");
    Session s(server->port());
    Reply greeting = s.pingpong.readReply();
    EXPECT_EQ(greeting.code, 220);
    EXPECT_EQ(greeting.text(), "Hello\nready");
    // A reply ended by a bare LF is still read.
    EXPECT_EQ(s.pingpong.command("USER bob").code, 331);
    EXPECT_EQ(s.pingpong.command("PASS x", {230}).text(), "Logged in");
    EXPECT_NE(server->readOutput(1).find("GOT USER bob\nGOT PASS x"), std::string::npos);
}

// A command line holding CR, LF or NUL would let its rest pass as a command of its own: it is
// refused before anything of it is written.
TEST(Transport, CommandsWithLineEndsOrNulAreNotSent) {
    auto server = StartLineServer(R"([[{"send": "220 ok\r\n"}, {"read": 1}, {"send": "250 fine\r\n"}]])");
    Session s(server->port());
    s.pingpong.readReply();
    for (std::string line : {std::string("RCPT TO:<a@b.si>\r\nDATA"), std::string("CWD x\nMKD y"),
                             std::string("CWD x\rMKD y"), std::string("USER a\0b", 8)})
        EXPECT_EQ(ErrorText([&] { s.pingpong.sendLine(line); }),
                  "Command not sent: it contains a line break or a NUL character.");
    EXPECT_EQ(s.pingpong.command("NOOP").code, 250);
    s.connection.close();
    const std::string seen = server->readOutput(1);
    EXPECT_NE(seen.find("GOT NOOP"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("GOT ", seen.find("GOT NOOP") + 1), std::string::npos) << seen; // nothing else arrived
    EXPECT_EQ(seen.find("GOT NOOP"), seen.find("GOT ")) << seen;
}

TEST(Transport, RefusedCommandCarriesTheServersText) {
    auto server = StartLineServer(R"([[{"send": "220 ok\r\n"}, {"read": 1}, {"send": "530 Login incorrect.\r\n"}]])");
    Session s(server->port());
    s.pingpong.readReply();
    EXPECT_EQ(ErrorText([&] { s.pingpong.command("USER bob", {230, 331}); }), "Login incorrect.");
}

struct BadReplyCase {
    std::string name;
    std::string json;
    std::string error;
};
void PrintTo(const BadReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class TransportBadReplies : public ::testing::TestWithParam<BadReplyCase> {};

TEST_P(TransportBadReplies, EndWithAClearError) {
    auto server = StartLineServer(GetParam().json);
    Session s(server->port());
    s.pingpong.setReplyTimeout(1500ms);
    EXPECT_EQ(ErrorText([&] { s.pingpong.readReply(); }), GetParam().error);
}

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TransportBadReplies,
    ::testing::Values(
        BadReplyCase{"Silent", R"([[{"sleep": 5}]])", "Read timed out."},
        BadReplyCase{"HalfALine", R"([[{"send": "220 ha"}, {"sleep": 5}]])", "Read timed out."},
        BadReplyCase{"ClosedAtOnce", R"([[{"close": true}]])", "Connection closed by the server."},
        BadReplyCase{"Reset", R"([[{"sleep": 0.3}, {"reset": true}]])", "Connection closed by the server."},
        BadReplyCase{"ClosedInsideAReply", R"([[{"send": "220-one\r\n"}, {"close": true}]])",
                     "Connection closed by the server."},
        BadReplyCase{"NoCode", R"([[{"send": "hello there\r\n"}]])",
                     "Invalid reply from the server (no reply code): hello there"},
        BadReplyCase{"LineTooLong", R"([[{"send_repeat": "2222222222"}]])", "Line too long."},
        BadReplyCase{"NeverEnding", R"([[{"send": "220-start\r\n"}, {"send_repeat": "220-more\r\n"}]])",
                     "Reply too long."},
        BadReplyCase{"EndlessTrickle",
                     "[[{\"send\": \"220-start\\r\\n\"}" + Repeated(R"(, {"send": "x"}, {"sleep": 0.2})", 20) + "]]",
                     "Read timed out."}),
    [](const auto& info) { return info.param.name; });

TEST(Transport, IdleCallbackRunsWhileWaiting) {
    auto server = StartLineServer(R"([[{"sleep": 0.5}, {"send": "220 late\r\n"}]])");
    Session s(server->port());
    int idles = 0;
    s.connection.setIdleCallback([&] { ++idles; });
    EXPECT_EQ(s.pingpong.readReply().code, 220);
    EXPECT_GE(idles, 4);
}

TEST(Transport, ReportsConnectFailures) {
    Connection c;
    EXPECT_EQ(ErrorText([&] { c.connect("no-such-host.invalid", 21); }), "Host not found: no-such-host.invalid");
    // Port 1 on the loopback has no listener.
    EXPECT_EQ(ErrorText([&] { c.connect("127.0.0.1", 1); }), "Could not connect to 127.0.0.1:1: Connection refused");
    EXPECT_FALSE(c.isOpen());
}

TEST(Transport, NoticesThePeersClose) {
    auto server = StartLineServer(R"([[{"send": "421 bye\r\n"}, {"close": true}]])");
    Session s(server->port());
    EXPECT_EQ(s.pingpong.readReply().code, 421);
    s.connection.waitReadable(1000ms);
    EXPECT_TRUE(s.connection.peerClosed());
    EXPECT_EQ(s.connection.peerAddress(), "127.0.0.1");
}

class TransportStartTls : public ::testing::TestWithParam<std::pair<std::string, TlsVersion>> {};

// The STARTTLS pattern: a plain exchange, then TLS of one version, then the same commands encrypted.
TEST_P(TransportStartTls, SwitchesTheSameConnectionToTls) {
    auto [serverVersion, version] = GetParam();
    auto server = StartLineServer(R"([[{"send": "220 plain\r\n"}, {"read": 1}, {"send": "220 go ahead\r\n"},
                                      {"tls": ")" +
                                  serverVersion + R"("}, {"read": 1}, {"send": "250 secret\r\n"}]])");
    Session s(server->port());
    s.pingpong.readReply();
    s.pingpong.command("STARTTLS", {220});
    ASSERT_FALSE(s.connection.tlsActive());
    TlsSettings settings;
    settings.minVersion = settings.maxVersion = version;
    settings.cipherList = "AES:ALL:!aNULL:!eNULL:+RC4:@STRENGTH";
    s.pingpong.startTls(settings);
    EXPECT_TRUE(s.connection.tlsActive());
    EXPECT_EQ(s.pingpong.command("EHLO me").text(), "secret");
    std::string seen = server->readOutput(1);
    EXPECT_NE(seen.find("GOT EHLO me"), std::string::npos) << seen;
    s.connection.close();
}

INSTANTIATE_TEST_SUITE_P(Versions, TransportStartTls,
                         ::testing::Values(std::pair{std::string("TLSv1"), TlsVersion::Tls1_0},
                                           std::pair{std::string("TLSv1_1"), TlsVersion::Tls1_1},
                                           std::pair{std::string("TLSv1_2"), TlsVersion::Tls1_2}),
                         [](const auto& info) { return info.param.first; });

TEST(Transport, HandshakeFailsWhenNoVersionIsShared) {
    auto server = StartLineServer(R"([[{"tls": "TLSv1_2"}]])");
    Connection c;
    c.connect("127.0.0.1", static_cast<uint16_t>(server->port()));
    TlsSettings onlyTls10;
    onlyTls10.maxVersion = TlsVersion::Tls1_0;
    std::string error = ErrorText([&] { c.startTls(onlyTls10); });
    EXPECT_EQ(error.rfind("SSL negotiation failed: ", 0), 0u) << error;
    EXPECT_FALSE(c.tlsActive());
}

// A server that accepts and never answers the client hello: the handshake ends at the receive limit.
TEST(Transport, HandshakeGivesUpAtTheReceiveTimeOut) {
    auto server = StartLineServer(R"([[{"sleep": 10}]])");
    Connection c;
    c.setReceiveTimeout(300ms);
    c.setSendTimeout(300ms);
    c.connect("127.0.0.1", static_cast<uint16_t>(server->port()));
    std::string error = ErrorText([&] { c.startTls(TlsSettings{}); });
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
    EXPECT_FALSE(c.tlsActive());
}

} // namespace
} // namespace qx::net
