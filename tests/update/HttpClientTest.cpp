// The update's HTTP client against a real server on 127.0.0.1 (update_server.py).
#include "net/HttpDate.h"
#include "net/Url.h"
#include "platform/Signature.h"
#include "tests/update/SignedRelease.h"
#include "tests/update/UpdateServer.h"
#include "text/Error.h"
#include "update/FileDownload.h"
#include "update/UpdateHttp.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace qx::update {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::UpdateServer;

class Recorder : public DownloadProgress {
public:
    void started(std::optional<std::uint64_t> size) override { announced = size; }
    void progressed(std::uint64_t received) override { last = received; }
    std::optional<std::uint64_t> announced;
    std::uint64_t last = 0;
};

class NullSink : public HttpBodySink {
public:
    bool begin(std::optional<std::uint64_t>) override { return true; }
    bool write(const char*, std::size_t) override { return true; }
};

class HttpClient : public ::testing::Test {
protected:
    HttpClient() {
        UpdateServer::Publish(www.path(), "files/app.dat", Payload(10000));
        std::filesystem::last_write_time(www.file("files/app.dat"),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    }
    static std::string Payload(std::size_t size) {
        std::string bytes;
        for (std::size_t i = 0; i < size; ++i)
            bytes += static_cast<char>(i * 31 % 251);
        return bytes;
    }
    static std::int64_t MTime(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mtime;
    }
    // An entry as the signed information file describes the file.
    DownloadEntry Entry(const std::string& url, const std::string& bytes = Payload(10000)) {
        return {url, target.file("sub/app.dat"), true, bytes.size(), platform::Sha256Of(bytes)};
    }

    TempDir www, target;
    std::atomic<bool> cancel{false};
};

TEST_F(HttpClient, DownloadsIntoTheTemporaryFileWithTheServersTime) {
    UpdateServer server(www.path());
    Recorder progress;
    HttpResult result = DownloadToTemporaryFile(Entry(server.url("/files/app.dat")), progress, cancel);
    EXPECT_EQ(result.outcome, TransferOutcome::Complete) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(progress.announced, 10000u);
    EXPECT_EQ(progress.last, 10000u);
    EXPECT_EQ(ReadWholeFile(target.file("sub/app.dat.uTMP")), Payload(10000));
    EXPECT_FALSE(std::filesystem::exists(target.file("sub/app.dat")));
    ASSERT_TRUE(result.lastModifiedUnix);
    EXPECT_EQ(*result.lastModifiedUnix, MTime(www.file("files/app.dat")));
    EXPECT_NE(server.requests().find("GET /files/app.dat | Accept: text/html, */*"), std::string::npos);
}

TEST_F(HttpClient, FailuresAreToldApart) {
    UpdateServer server(www.path());
    struct Case {
        std::string url;
        TransferOutcome outcome;
        int status;
    };
    const std::vector<Case> cases = {
        {server.url("/files/missing.dat"), TransferOutcome::ErrorStatus, 404},
        {server.url("/short/files/app.dat"), TransferOutcome::BrokenOff, 200},
        {"http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/files/app.dat", TransferOutcome::NoAnswer, 0},
        {"ftp://127.0.0.1/files/app.dat", TransferOutcome::NoAnswer, 0},
    };
    for (const Case& c : cases) {
        Recorder progress;
        HttpResult result = DownloadToTemporaryFile(Entry(c.url), progress, cancel);
        EXPECT_EQ(result.outcome, c.outcome) << c.url << ": " << result.error;
        EXPECT_EQ(result.status, c.status) << c.url;
    }
}

TEST_F(HttpClient, TheInformationFileHasALimitOfSizeAndTime) {
    test::PublishSigned(www.file("prenos/qfd/qx.inf"), "#version=3.1\r\n");
    UpdateServer::Publish(www.path(), "prenos/qfd/huge.inf", Payload(kInformationMaxBytes + 10));
    UpdateServer server(www.path());
    InformationFetch ok = FetchInformationFile(server.url("/prenos/qfd/qx.inf"), cancel);
    EXPECT_EQ(ok.http.outcome, TransferOutcome::Complete);
    EXPECT_EQ(ok.text.bytes, "#version=3.1\r\n");
    EXPECT_NE(server.requests().find("GET /prenos/qfd/qx.inf"), std::string::npos);

    EXPECT_EQ(FetchInformationFile(server.url("/prenos/qfd/huge.inf"), cancel).http.outcome, TransferOutcome::TooLarge);

    // A server that accepts and never answers: the whole-time limit ends the wait.
    NullSink sink;
    HttpGetOptions options;
    options.wholeTimeoutMs = 400;
    auto start = std::chrono::steady_clock::now();
    HttpResult silent = HttpGet(server.url("/silent/x"), sink, options, cancel);
    EXPECT_EQ(silent.outcome, TransferOutcome::NoAnswer);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HttpClient, ACancelStopsARunningTransfer) {
    UpdateServer::Publish(www.path(), "files/big.bin", Payload(2000000));
    UpdateServer server(www.path());
    Recorder progress;
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    HttpResult result =
        DownloadToTemporaryFile(Entry(server.url("/slow/files/big.bin"), Payload(2000000)), progress, cancel);
    canceller.join();
    EXPECT_EQ(result.outcome, TransferOutcome::Cancelled);
    EXPECT_LT(result.received, 2000000u);
}

TEST_F(HttpClient, HttpsDownloadsOnlyFromACertificateThatIsTrustedAndNamesTheHost) {
    struct Case {
        const char* what;
        const char* subjectAltName;
        bool trusted; // the certificate stands among the trusted roots (SSL_CERT_FILE)
        bool downloads;
    };
    const Case cases[] = {
        {"nobody vouches for it", "IP:127.0.0.1", false, false},
        {"trusted, for another host", "DNS:updates.example.com", true, false},
        {"trusted, for another address", "IP:127.0.0.2", true, false},
        {"trusted, for this address", "IP:127.0.0.1", true, true},
    };
    for (const Case& c : cases) {
        TempDir keys;
        std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=qx-test "
                              "-addext subjectAltName=" +
                              std::string(c.subjectAltName) + " -keyout " + keys.file("key.pem") + " -out " +
                              keys.file("cert.pem") + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        setenv("SSL_CERT_FILE", c.trusted ? keys.file("cert.pem").c_str() : "/nonexistent", 1);
        UpdateServer server(www.path(), keys.file("cert.pem"), keys.file("key.pem"));
        Recorder progress;
        HttpResult result = DownloadToTemporaryFile(Entry(server.url("/files/app.dat")), progress, cancel);
        unsetenv("SSL_CERT_FILE");
        if (c.downloads) {
            EXPECT_EQ(result.outcome, TransferOutcome::Complete) << c.what << ": " << result.error;
            EXPECT_EQ(ReadWholeFile(target.file("sub/app.dat.uTMP")), Payload(10000)) << c.what;
        } else {
            EXPECT_EQ(result.outcome, TransferOutcome::NoAnswer) << c.what << ": " << result.error;
            EXPECT_NE(result.error.find("SSL negotiation failed"), std::string::npos) << c.what << ": " << result.error;
            EXPECT_FALSE(std::filesystem::exists(target.file("sub/app.dat.uTMP"))) << c.what;
        }
    }
}

// The URLs and dates the update's transfers read.
TEST(HttpUrl, PartsAndDates) {
    using net::ParseHttpDate;
    using net::ParseUrl;
    const net::Url url = ParseUrl("HTTPS://www.example.com:8443/prenos/qfd/qx.inf?x=1");
    EXPECT_TRUE(url.tls());
    EXPECT_EQ(url.host, "www.example.com");
    EXPECT_EQ(url.port, 8443);
    EXPECT_EQ(url.path, "/prenos/qfd/qx.inf?x=1");
    EXPECT_EQ(ParseUrl("http://h").path, "/");
    EXPECT_EQ(ParseUrl("http://h").port, 80);
    for (const char* bad :
         {"ftp://h/x", "http://", "http://h:0/", "http://h:99999/", "http://h:x/", "h/x", "http://h/a b"})
        EXPECT_THROW(ParseUrl(bad), Error) << bad;

    EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
    EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), 784111777);
    EXPECT_FALSE(ParseHttpDate("yesterday"));
    EXPECT_FALSE(ParseHttpDate("Sun, 06 Foo 1994 08:49:37 GMT"));
}

} // namespace
} // namespace qx::update
