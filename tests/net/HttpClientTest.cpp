// The HTTP client against real Python servers (plain and TLS 1.0 to 1.2) and scripted ones.
#include "net/HttpClient.h"
#include "net/Url.h"

#include "tests/net/PeerServers.h"

#include <gtest/gtest.h>

namespace qx::net {
namespace {

using namespace std::chrono_literals;

using test::JsonString;
using test::StartHttpServer;
using test::StartLineServer;

constexpr const char* kUserAgent = "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; MAAU)";

TlsSettings ServiceTls() {
    TlsSettings tls;
    tls.cipherList = "AES:ALL:!aNULL:!eNULL:+RC4:@STRENGTH";
    return tls;
}

std::string Local(int port, const std::string& scheme = "http") {
    return scheme + "://127.0.0.1:" + std::to_string(port);
}

// The error text of a failing GET, or the body of a successful one prefixed with "BODY ".
std::string Outcome(HttpClient& client, const std::string& url) {
    std::string body;
    try {
        client.get(url, body);
    } catch (const Error& e) {
        return e.what();
    }
    return "BODY " + body;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

struct UrlCase {
    std::string url;
    std::string scheme, host;
    int port;
    std::string path, hostHeader;
};

TEST(Url, SplitsSchemeHostPortAndPath) {
    const UrlCase cases[] = {
        {"https://www.example.com/prenos/qfd.ftp", "https", "www.example.com", 443, "/prenos/qfd.ftp",
         "www.example.com"},
        {"http://ftp.example.com/ftp/qfd.ftp", "http", "ftp.example.com", 80, "/ftp/qfd.ftp", "ftp.example.com"},
        {"HTTPS://h:8443/a?b=c#frag", "https", "h", 8443, "/a?b=c", "h:8443"},
        {"http://h:443/x", "http", "h", 443, "/x", "h:443"},
        {"https://h:443", "https", "h", 443, "/", "h"},
        {"http://user:pw@h:81/", "http", "h", 81, "/", "h:81"},
    };
    for (const auto& c : cases) {
        Url url = ParseUrl(c.url);
        EXPECT_EQ(url.scheme, c.scheme) << c.url;
        EXPECT_EQ(url.host, c.host) << c.url;
        EXPECT_EQ(url.port, c.port) << c.url;
        EXPECT_EQ(url.path, c.path) << c.url;
        EXPECT_EQ(url.hostHeader(), c.hostHeader) << c.url;
    }
}

TEST(Url, RejectsOtherSchemesAndBadPorts) {
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, "ftp://h/x"), "Unknown Protocol");
    EXPECT_EQ(Outcome(client, "h/x"), "Unknown Protocol");
    EXPECT_EQ(Outcome(client, "http://h:99999/x"), "Invalid URL: http://h:99999/x");
    EXPECT_EQ(Outcome(client, "http://:80/x"), "Invalid URL: http://:80/x");
}

TEST(HttpClient, SendsTheRequestHeadInItsFixedShape) {
    auto server = StartLineServer(R"([[{"read": 6}, {"send": "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}]])");
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, Local(server->port()) + "/prenos/qfd.ftp"), "BODY ok");
    const std::string expected = "GOT GET /prenos/qfd.ftp HTTP/1.1\n"
                                 "GOT Host: 127.0.0.1:" +
                                 std::to_string(server->port()) +
                                 "\n"
                                 "GOT Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\n"
                                 "GOT Accept-Encoding: identity\n"
                                 "GOT User-Agent: " +
                                 std::string(kUserAgent) + "\nGOT \n";
    EXPECT_EQ(server->readOutput(0.5).substr(0, expected.size()), expected);
}

// The steps of a GET for a caller of its own: its request goes out as written, the body comes
// to its receiver, and the receiver ends the reading when it has had enough.
TEST(HttpClient, TheStepsOfAGetSendTheCallersRequestAndHandTheBodyOn) {
    auto server = StartLineServer(
        R"([[{"read": 3}, {"send": "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"}, {"sleep": 3}]])");
    HttpClient client(kUserAgent, ServiceTls());
    const Url url = ParseUrl(Local(server->port()) + "/own");
    client.open(url);
    const HttpResponseHead head = client.send("GET /own HTTP/1.0\r\nX-Own: 1\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.contentLength(), 10u);
    std::string seen;
    const bool whole = client.readBody(head, [&seen](const char* data, std::size_t size) {
        seen.append(data, size);
        return false;
    });
    EXPECT_FALSE(whole);
    EXPECT_FALSE(seen.empty());
    EXPECT_EQ(std::string("0123456789").substr(0, seen.size()), seen);
    const std::string expected = "GOT GET /own HTTP/1.0\nGOT X-Own: 1\nGOT \n";
    EXPECT_EQ(server->readOutput(0.5).substr(0, expected.size()), expected);
}

struct FramingCase {
    std::string name;
    std::string response; // raw bytes the server sends after reading the request head
    bool closeAfter;      // the server closes after sending
    std::string outcome;
};
void PrintTo(const FramingCase& c, std::ostream* os) {
    *os << c.name;
}

class HttpResponseFraming : public ::testing::TestWithParam<FramingCase> {};

TEST_P(HttpResponseFraming, ReadsBodiesAndRefusesBrokenResponses) {
    const FramingCase& c = GetParam();
    std::string json = R"([[{"read": 6}, {"send": )" + JsonString(c.response) + "}";
    json += c.closeAfter ? R"(, {"close": true}]])" : R"(, {"sleep": 3}]])";
    auto server = StartLineServer(json);
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, Local(server->port()) + "/x"), c.outcome);
}

std::string ManyHeaders(int count) {
    std::string text = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < count; ++i)
        text += "X-H: " + std::to_string(i) + "\r\n";
    return text + "Content-Length: 1\r\n\r\nz";
}

INSTANTIATE_TEST_SUITE_P(
    Table, HttpResponseFraming,
    ::testing::Values(
        FramingCase{"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, "BODY hello"},
        FramingCase{"Chunked",
                    "HTTP/1.1 200 OK\r\nTransfer-Encoding: "
                    "chunked\r\n\r\n3;ext=1\r\nabc\r\nA\r\n0123456789\r\n0\r\nX-T: 1\r\n\r\n",
                    false, "BODY abc0123456789"},
        FramingCase{"UntilClose", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nto the end", true, "BODY to the end"},
        FramingCase{"Http10UntilClose", "HTTP/1.0 200 OK\r\n\r\nold", true, "BODY old"},
        FramingCase{"ContinueSkipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi",
                    false, "BODY hi"},
        FramingCase{"BareLineFeeds", "HTTP/1.1 200 OK\nContent-Length: 2\n\nlf", false, "BODY lf"},
        FramingCase{"NoReason", "HTTP/1.1 200\r\nContent-Length: 1\r\n\r\n1", false, "BODY 1"},
        FramingCase{"Empty200", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, "BODY "},
        FramingCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", false, "BODY "},
        FramingCase{"HeaderLinesAtTheLimit", ManyHeaders(254), false, "BODY z"},
        FramingCase{"TooManyHeaderLines", ManyHeaders(300), false, "Too many header lines in the HTTP response."},
        FramingCase{"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", false,
                    "HTTP/1.1 404 Not Found"},
        FramingCase{"Redirect", "HTTP/1.1 302 Found\r\nLocation: /y\r\nContent-Length: 0\r\n\r\n", false,
                    "HTTP/1.1 302 Found"},
        FramingCase{"Unauthorized", "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic\r\n\r\n", true,
                    "HTTP/1.1 401 Unauthorized"},
        FramingCase{"CutShort", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", true, "Connection closed early."},
        FramingCase{"ChunkCutShort", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc", true,
                    "Connection closed early."},
        FramingCase{"BadChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n", true,
                    "Invalid chunk size: zz"},
        FramingCase{"HugeChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\n",
                    true, "Invalid chunk size: FFFFFFFFFFFFFFFFFFFF"},
        FramingCase{"BadContentLength", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", true,
                    "Invalid Content-Length: -1"},
        FramingCase{"NotHttp", "SSH-2.0-OpenSSH\r\n\r\n", true, "Invalid HTTP response: SSH-2.0-OpenSSH"},
        FramingCase{"NothingAtAll", "", true, "Connection closed gracefully."},
        FramingCase{"HeadCutShort", "HTTP/1.1 200 OK\r\nContent-", true, "Invalid HTTP header: Content-"}),
    [](const auto& info) { return info.param.name; });

TEST(HttpClient, RefusesAStatusLineThatNeverEnds) {
    auto server = StartLineServer(R"([[{"read": 6}, {"send_repeat": "HTTP/1.1 200 OK OK OK OK"}]])");
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, Local(server->port()) + "/x"), "Line too long.");
}

class HttpsVersions : public ::testing::TestWithParam<std::string> {};

// The server allows exactly one version; the client's TLS 1.0..1.2 hello must reach each.
TEST_P(HttpsVersions, FetchesOverEachVersion) {
    auto server = StartHttpServer(GetParam(), R"({"/prenos/qfd.ftp": {"body": "0A1B2C"}})");
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, Local(server->port(), "https") + "/prenos/qfd.ftp"), "BODY 0A1B2C");
}

INSTANTIATE_TEST_SUITE_P(Server, HttpsVersions, ::testing::Values("TLSv1", "TLSv1_1", "TLSv1_2"));

TEST(HttpClient, TlsOnlyServerRefusesThePlainClientAndTheOtherWayRound) {
    auto tlsServer = StartHttpServer("TLSv1_2", "{}");
    auto plainServer = StartHttpServer("none", "{}");
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_NE(Outcome(client, Local(tlsServer->port(), "http") + "/x").rfind("BODY", 0), 0u);
    EXPECT_EQ(Outcome(client, Local(plainServer->port(), "https") + "/x").rfind("SSL negotiation failed: ", 0), 0u);
}

TEST(HttpClient, StatusesOtherThan2xxFailWithTheirStatusLine) {
    auto server = StartHttpServer("any", R"({"/moved": {"status": 301, "headers": {"Location": "/prenos/qfd.ftp"}},
                                             "/prenos/qfd.ftp": {"body": "AB"},
                                             "/empty": {"body": ""},
                                             "/chunked": {"body": "a chunked body", "chunked": true}})");
    HttpClient client(kUserAgent, ServiceTls());
    const std::string root = Local(server->port(), "https");
    try {
        std::string body;
        client.get(root + "/missing", body);
        FAIL() << "404 accepted";
    } catch (const HttpStatusError& e) {
        EXPECT_EQ(e.status(), 404);
        EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
    }
    EXPECT_EQ(Outcome(client, root + "/moved"), "HTTP/1.1 301 Moved Permanently");
    EXPECT_EQ(Outcome(client, root + "/empty"), "BODY ");
    EXPECT_EQ(Outcome(client, root + "/chunked"), "BODY a chunked body");
    // The redirect was not followed: the target was asked for only when the test asked.
    EXPECT_EQ(Count(server->readOutput(0.5), "REQUEST GET /prenos/qfd.ftp"), 0u);
}

TEST(HttpClient, KeepsTheConnectionAliveForTheSameServerOnly) {
    auto https = StartHttpServer("any", R"({"/a": {"body": "1"}})");
    auto http = StartHttpServer("none", R"({"/b": {"body": "2"}})");
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, Local(https->port(), "https") + "/a"), "BODY 1");
    EXPECT_EQ(Outcome(client, Local(https->port(), "https") + "/missing"), "HTTP/1.1 404 Not Found");
    std::string seen = https->readOutput(0.3);
    EXPECT_EQ(Count(seen, "CONNECT"), 1u) << seen;
    EXPECT_EQ(Count(seen, "CLOSED"), 0u) << seen;
    // The fallback goes to the other scheme: the kept connection is closed first.
    EXPECT_EQ(Outcome(client, Local(http->port()) + "/b"), "BODY 2");
    seen = https->readOutput(0.5);
    EXPECT_EQ(Count(seen, "CLOSED"), 1u) << seen;
}

TEST(HttpClient, ConnectFailuresAreErrors) {
    HttpClient client(kUserAgent, ServiceTls());
    EXPECT_EQ(Outcome(client, "http://127.0.0.1:1/x"), "Could not connect to 127.0.0.1:1: Connection refused");
    EXPECT_EQ(Outcome(client, "https://no-such-host.invalid/x"), "Host not found: no-such-host.invalid");
}

// A root that accepts and stays silent, over either scheme, or stops half-way through the
// body: each GET ends at the client's read limit instead of waiting for ever.
TEST(HttpClient, SilentServersEndAtTheReadLimit) {
    const std::pair<std::string, std::string> cases[] = {
        {"http", R"([[{"read": 6}, {"sleep": 10}]])"},
        {"http", R"([[{"read": 6}, {"send": "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhalf"}, {"sleep": 10}]])"},
        {"https", R"([[{"sleep": 10}]])"},
    };
    for (const auto& [scheme, json] : cases) {
        auto server = StartLineServer(json);
        HttpClient client(kUserAgent, ServiceTls());
        client.setTimeouts(2000ms, 300ms);
        const std::string outcome = Outcome(client, Local(server->port(), scheme) + "/ftp/qfd.ftp");
        EXPECT_NE(outcome.find("timed out"), std::string::npos) << scheme << ": " << outcome;
    }
}

} // namespace
} // namespace qx::net
