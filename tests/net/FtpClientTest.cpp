// The FTP client against the scripted server: the exact commands it sends, the replies it
// accepts, and the faults it must turn into clear errors.
#include "net/FtpClient.h"
#include "net/PassiveAddress.h"

#include "tests/net/PeerServers.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <netinet/in.h>

namespace qx::net {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::LinesStartingWith;
using test::StartFtpScript;

using test::ErrorText;

FtpSettings Settings(int port, const std::string& host = "127.0.0.1") {
    FtpSettings s;
    s.host = host;
    s.port = static_cast<std::uint16_t>(port);
    s.user = "user";
    s.password = "secret";
    return s;
}

// The login every session of these tests begins with, for a server listing MLSD and UTF8.
const Lines kLogin = {"HOST [127.0.0.1]", "USER user", "PASS secret", "FEAT", "TYPE I", "SYST", "TYPE I"};

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(FtpClient, LogsInListsAndQuitsWithTheFixedCommands) {
    auto server = StartFtpScript({"--listing", "type=cdir; .|type=dir; SERVIS|type=file;size=3; a.zip"});
    FtpClient client(Settings(server->port()));
    client.connect();
    EXPECT_TRUE(client.utf8());
    auto entries = client.listDirectory();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].name, "SERVIS");
    EXPECT_EQ(entries[1].type, FtpEntryType::Directory);
    client.disconnect();
    EXPECT_FALSE(client.connected());
    client.disconnect(); // nothing happens on a closed connection
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "CMD "), Concat(kLogin, {"PASV", "MLSD", "QUIT"}));
}

TEST(FtpClient, UsesClntAndPretWhenListed) {
    auto server = StartFtpScript({"--features", "MLSD,CLNT,PRET,SIZE"});
    FtpClient client(Settings(server->port()));
    client.connect();
    EXPECT_FALSE(client.utf8());
    EXPECT_EQ(client.features(), (Lines{" MLSD", " CLNT", " PRET", " SIZE"}));
    client.listDirectory();
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "CMD "),
              (Lines{"HOST [127.0.0.1]", "USER user", "PASS secret", "FEAT", "CLNT qx", "TYPE I", "SYST", "TYPE I",
                     "PRET MLSD", "PASV", "MLSD", "QUIT"}));
}

TEST(FtpClient, NamedHostIsSentWithoutBrackets) {
    auto server = StartFtpScript({});
    FtpClient client(Settings(server->port(), "localhost"));
    client.connect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.3), "CMD ").front(), "HOST localhost");
}

TEST(FtpClient, ReconnectsWithoutHostWhenTheServerClosesAfterIt) {
    auto server = StartFtpScript({"--reply", "HOST=421 Unknown host", "--close-after", "HOST"});
    FtpClient client(Settings(server->port()));
    client.connect();
    client.disconnect();
    std::string out = server->readOutput(0.5);
    EXPECT_EQ(LinesStartingWith(out, "CONNECT").size(), 2u);
    EXPECT_EQ(LinesStartingWith(out, "CMD "),
              Concat({"HOST [127.0.0.1]"}, Concat(Lines(kLogin.begin() + 1, kLogin.end()), {"QUIT"})));
}

TEST(FtpClient, GoesOnWhenHostIsRefusedOnAnOpenConnection) {
    auto server = StartFtpScript({"--reply", "HOST=500 HOST not understood"});
    FtpClient client(Settings(server->port()));
    client.connect();
    client.disconnect();
    std::string out = server->readOutput(0.5);
    EXPECT_EQ(LinesStartingWith(out, "CONNECT").size(), 1u);
    EXPECT_EQ(LinesStartingWith(out, "CMD "), Concat(kLogin, {"QUIT"}));
}

TEST(FtpClient, AnswersToMlsdOf450GiveAnEmptyListing) {
    auto server = StartFtpScript({"--reply", "MLSD=450 No files found"});
    FtpClient client(Settings(server->port()));
    client.connect();
    EXPECT_TRUE(client.listDirectory().empty());
    client.changeDirectory("next");
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "CMD "), Concat(kLogin, {"PASV", "MLSD", "CWD next", "QUIT"}));
}

TEST(FtpClient, StoresAndRetrievesFilesWithProgress) {
    test::TempDir dir;
    std::string payload(3'000'000, 'x');
    for (std::size_t i = 0; i < payload.size(); i += 7)
        payload[i] = static_cast<char>(i % 251);
    test::WriteWholeFile(dir.file("archive.zip"), payload);
    test::WriteWholeFile(dir.file("SERVIS.mail"), "stale");
    auto server = StartFtpScript({"--file", "SERVIS.mail=servis@example.com\r\nsecond line\r\n"});

    FtpClient client(Settings(server->port()));
    std::vector<std::int64_t> progress;
    client.setWorkHandler([&](std::int64_t bytes) { progress.push_back(bytes); });
    client.connect();
    client.retrieve("SERVIS.mail", dir.file("SERVIS.mail"));
    EXPECT_EQ(test::ReadWholeFile(dir.file("SERVIS.mail")), "servis@example.com\r\nsecond line\r\n");
    progress.clear();
    client.store(dir.file("archive.zip"), "12345678901.zip");
    client.disconnect();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), static_cast<std::int64_t>(payload.size()));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    std::string out = server->readOutput(0.5);
    EXPECT_EQ(LinesStartingWith(out, "STORED "), Lines{"12345678901.zip 3000000"});
    EXPECT_EQ(LinesStartingWith(out, "CMD "),
              Concat(kLogin, {"PASV", "RETR SERVIS.mail", "PASV", "STOR 12345678901.zip", "QUIT"}));
}

TEST(FtpClient, ControlTextIsEightBitUntilTheServerListsUtf8) {
    auto plain = StartFtpScript({"--features", "MLSD"});
    auto utf8 = StartFtpScript({"--features", "MLSD,UTF8"});
    for (auto* server : {plain.get(), utf8.get()}) {
        FtpClient client(Settings(server->port()));
        client.connect();
        client.changeDirectory("data\\mapa \xc3\xa9\xc4\x8d"); // é fits in 8 bits, č does not
        client.disconnect();
        Lines commands = LinesStartingWith(server->readOutput(0.5), "CMD ");
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[commands.size() - 2],
                  server == plain.get() ? "CWD data\\mapa \xe9?" : "CWD data\\mapa \xc3\xa9\xc4\x8d");
    }
}

struct RefusalCase {
    std::string name;
    Lines options;
    std::string error;
    bool duringConnect; // false: connect succeeds and the STOR of a small file fails
};
void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class FtpClientRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FtpClientRefusals, EndWithTheServersText) {
    const RefusalCase& c = GetParam();
    test::TempDir dir;
    test::WriteWholeFile(dir.file("a.zip"), "zip bytes");
    auto server = StartFtpScript(c.options);
    FtpClient client(Settings(server->port()));
    client.setReplyTimeout(1500ms);
    if (c.duringConnect) {
        EXPECT_EQ(ErrorText([&] { client.connect(); }), c.error);
        return;
    }
    client.connect();
    EXPECT_EQ(ErrorText([&] { client.store(dir.file("a.zip"), "a.zip"); }), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FtpClientRefusals,
    ::testing::Values(
        RefusalCase{"GreetingRefused", {"--greeting", "421 Too many users"}, "Too many users", true},
        RefusalCase{"GreetingAfter1xx", {"--greeting", "120 Wait a moment|421 Still busy"}, "Still busy", true},
        RefusalCase{"EmptyGreetingLine", {"--greeting", ""}, "Invalid reply from the server (no reply code): ", true},
        RefusalCase{"UserRefused", {"--reply", "USER=530 Login incorrect."}, "Login incorrect.", true},
        RefusalCase{"PassRefused", {"--reply", "PASS=530 Login incorrect."}, "Login incorrect.", true},
        RefusalCase{
            "AccountRequested", {"--reply", "PASS=332 Need account for login."}, "Need account for login.", true},
        RefusalCase{"TypeRefused", {"--reply", "TYPE=504 Type not implemented"}, "Type not implemented", true},
        RefusalCase{"SilentAfterUser", {"--silent-after", "USER"}, "Read timed out.", true},
        RefusalCase{"ClosedAfterPass", {"--close-after", "PASS"}, "Connection closed by the server.", true},
        RefusalCase{"MultiLineRefusal", {"--reply", "USER=530-Not here.|530 Go away."}, "Not here.\nGo away.", true},
        RefusalCase{"StorRefused", {"--reply", "STOR=553 Could not create file."}, "Could not create file.", false},
        RefusalCase{
            "PasvRefused", {"--reply", "PASV=425 Can't open data connection."}, "Can't open data connection.", false},
        RefusalCase{"PasvWithoutNumbers",
                    {"--reply", "PASV=227 Entering Passive Mode"},
                    "Invalid PASV reply: 227 Entering Passive Mode",
                    false},
        RefusalCase{"DataPortClosed",
                    {"--reply", "PASV=227 Entering Passive Mode (127,0,0,1,0,1)"},
                    "Could not connect to 127.0.0.1:1: Connection refused",
                    false},
        RefusalCase{"SilentAfterStor", {"--silent-after", "STOR"}, "Read timed out.", false}),
    [](const auto& info) { return info.param.name; });

// A local address outside the private ranges, as a server reached over the internet has.
std::string PublicLocalAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    std::string found;
    for (ifaddrs* a = list; a && found.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        const std::string address = text;
        const bool isPrivate = address.rfind("127.", 0) == 0 || address.rfind("10.", 0) == 0 ||
                               address.rfind("192.168.", 0) == 0 || address.rfind("172.", 0) == 0 ||
                               address.rfind("169.254.", 0) == 0;
        if (!isPrivate)
            found = address;
    }
    freeifaddrs(list);
    return found;
}

TEST(FtpClient, PrivateAddressInPasvGoesToThePublicPeer) {
    const std::string address = PublicLocalAddress();
    if (address.empty())
        GTEST_SKIP() << "this machine has no IPv4 address outside the private ranges";
    auto server = StartFtpScript({"--bind", address, "--pasv-announce", "192.168.1.5", "--listing", "type=dir; X"});
    FtpClient client(Settings(server->port(), address));
    client.connect();
    EXPECT_EQ(client.listDirectory().size(), 1u);
    client.disconnect();
    EXPECT_EQ(LinesStartingWith(server->readOutput(0.5), "DATA-FROM ").size(), 1u);
}

} // namespace
} // namespace qx::net
