// The FTP client against servers that misbehave: values that would smuggle a command onto the
// wire, data connections that stall, a data address aimed elsewhere, a runaway download and an
// upload the server cuts short. The exact lines on the wire are checked.
#include "net/FtpClient.h"

#include "tests/net/PeerServers.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

namespace qx::net {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::ErrorText;
using test::LinesStartingWith;
using test::StartFtpScript;

const std::string kNotSent = "Command not sent: it contains a line break or a NUL character.";
const Lines kLogin = {"HOST [127.0.0.1]", "USER user", "PASS secret", "FEAT", "TYPE I", "SYST", "TYPE I"};

FtpSettings Settings(int port) {
    FtpSettings s;
    s.host = "127.0.0.1";
    s.port = static_cast<std::uint16_t>(port);
    s.user = "user";
    s.password = "secret";
    s.dataTimeout = 400ms;
    return s;
}

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct InjectionCase {
    std::string name;
    std::function<void(FtpSettings&)> configure;
    // Runs after a successful login (unless the login itself carries the value).
    std::function<void(FtpClient&, const std::string& dir)> act;
    Lines wire; // every command the server received
};
void PrintTo(const InjectionCase& c, std::ostream* os) {
    *os << c.name;
}

class FtpClientInjection : public ::testing::TestWithParam<InjectionCase> {};

TEST_P(FtpClientInjection, RefusesTheCommandAndSendsNothingOfIt) {
    const InjectionCase& c = GetParam();
    test::TempDir dir;
    test::WriteWholeFile(dir.file("a.zip"), "zip bytes");
    auto server = StartFtpScript({});
    FtpSettings settings = Settings(server->port());
    if (c.configure)
        c.configure(settings);
    FtpClient client(settings);
    EXPECT_EQ(ErrorText([&] {
                  client.connect();
                  c.act(client, dir.path());
              }),
              kNotSent);
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "CMD "), c.wire);
}

const auto kNothing = [](FtpClient&, const std::string&) {};

INSTANTIATE_TEST_SUITE_P(
    Table, FtpClientInjection,
    ::testing::Values(
        InjectionCase{"UserWithCrLf",
                      [](FtpSettings& s) { s.user = "user\r\nMKD pwned"; },
                      kNothing,
                      {"HOST [127.0.0.1]", "QUIT"}},
        InjectionCase{"PasswordWithLf",
                      [](FtpSettings& s) { s.password = "secret\nDELE a.zip"; },
                      kNothing,
                      {"HOST [127.0.0.1]", "USER user", "QUIT"}},
        InjectionCase{
            "HostWithNul", [](FtpSettings& s) { s.host = std::string("127.0.0.1\0x", 11); }, kNothing, {"QUIT"}},
        InjectionCase{"FolderWithCrLf",
                      {},
                      [](FtpClient& client, const std::string&) { client.changeDirectory("x\r\nMKD pwned"); },
                      Concat(kLogin, {"QUIT"})},
        InjectionCase{"FolderWithBareCr",
                      {},
                      [](FtpClient& client, const std::string&) { client.changeDirectory("x\rMKD pwned"); },
                      Concat(kLogin, {"QUIT"})},
        InjectionCase{
            "RemoteNameWithLf",
            {},
            [](FtpClient& client, const std::string& dir) { client.store(dir + "a.zip", "a.zip\nMKD pwned"); },
            Concat(kLogin, {"PASV", "QUIT"})}),
    [](const auto& info) { return info.param.name; });

// A 227 reply that names another host: the data connection still goes to the control peer.
TEST(FtpClient, DataConnectionGoesToTheControlPeerWhateverTheReplyNames) {
    auto server = StartFtpScript({"--pasv-announce", "203.0.113.9", "--listing", "type=dir; X"});
    FtpSettings settings = Settings(server->port());
    settings.connectTimeout = 2000ms; // the announced host is unroutable: a wrong turn would time out
    FtpClient client(settings);
    client.connect();
    ASSERT_EQ(client.listDirectory().size(), 1u);
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "DATA-FROM "), Lines{"127.0.0.1"});
}

struct StallCase {
    std::string verb;
    std::string error;
};

// A server that answers 150 and then moves no data: each transfer gives up at the data limit
// with the step in its error, and the control connection still says goodbye.
TEST(FtpClient, StalledDataConnectionsEndAtTheDataLimit) {
    const StallCase cases[] = {
        {"MLSD", "Data connection of MLSD: Read timed out."},
        {"RETR", "Data connection of RETR SERVIS.mail: Read timed out."},
        {"STOR", "Data connection of STOR big.zip: Write timed out."},
    };
    test::TempDir dir;
    // More than the socket buffers of both ends hold, so that a write has to wait.
    test::WriteWholeFile(dir.file("big.zip"), std::string(32u << 20, 'z'));
    for (const auto& c : cases) {
        auto server = StartFtpScript({"--stall-data", c.verb, "--file", "SERVIS.mail=a@b.si"});
        FtpClient client(Settings(server->port()));
        client.connect();
        EXPECT_EQ(ErrorText([&] {
                      if (c.verb == "MLSD")
                          client.listDirectory();
                      else if (c.verb == "RETR")
                          client.retrieve("SERVIS.mail", dir.file("SERVIS.mail"));
                      else
                          client.store(dir.file("big.zip"), "big.zip");
                  }),
                  c.error);
        client.disconnect();
        const std::string out = server->readOutput(0.5);
        EXPECT_EQ(LinesStartingWith(out, "STALLED "), Lines{c.verb});
        ASSERT_FALSE(LinesStartingWith(out, "CMD ").empty());
        EXPECT_EQ(LinesStartingWith(out, "CMD ").back(), "QUIT") << c.verb;
    }
}

// Only the first bytes of a runaway file are written; the session goes on afterwards.
TEST(FtpClient, RetrievalStopsAtItsLimit) {
    test::TempDir dir;
    auto server = StartFtpScript({"--file-size", "big.mail=5000000", "--file", "small.mail=a@b.si\r\n"});
    FtpClient client(Settings(server->port()));
    client.connect();
    EXPECT_FALSE(client.retrieve("big.mail", dir.file("big.mail"), 4096));
    EXPECT_EQ(test::ReadWholeFile(dir.file("big.mail")), std::string(4096, 'x'));
    EXPECT_TRUE(client.retrieve("small.mail", dir.file("small.mail"), 4096));
    EXPECT_EQ(test::ReadWholeFile(dir.file("small.mail")), "a@b.si\r\n");
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "CMD "),
              Concat(kLogin, {"PASV", "RETR big.mail", "PASV", "RETR small.mail", "QUIT"}));
}

// The server closes the data connection part-way and says so: the store fails.
TEST(FtpClient, StoreCutShortByTheServerFails) {
    test::TempDir dir;
    test::WriteWholeFile(dir.file("a.zip"), std::string(3'000'000, 'a'));
    auto server = StartFtpScript({"--cut-stor", "100000"});
    FtpClient client(Settings(server->port()));
    client.setReplyTimeout(2000ms);
    client.connect();
    const std::string error = ErrorText([&] { client.store(dir.file("a.zip"), "a.zip"); });
    // Which end notices first depends on the buffers: the broken data connection, or the 426.
    EXPECT_TRUE(error == "Connection closed; transfer aborted." ||
                error == "Data connection of STOR a.zip: Connection closed by the peer.")
        << error;
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "STORED "), Lines{"a.zip 100000"});
}

} // namespace
} // namespace qx::net
