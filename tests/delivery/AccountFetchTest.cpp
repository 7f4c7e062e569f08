// The account descriptors: parsing the descrambled fields, and fetching them from real
// HTTPS and HTTP servers with the fallback between the two roots.
#include "delivery/AccountFetch.h"
#include "delivery/IntegerText.h"
#include "delivery/Scramble.h"

#include "tests/net/PeerServers.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TestEnvironment.h"
#include "text/Error.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

using test::JsonString;
using test::StartHttpServer;

std::string Scrambled(const std::string& text) {
    return Scramble(text, kScrambleSeed);
}

using test::ErrorText;

TEST(IntegerFromText, ReadsWhatTheConversionAccepts) {
    const std::pair<std::string, int> good[] = {{"0", 0},
                                                {"21", 21},
                                                {"  7", 7},
                                                {"-5", -5},
                                                {"+3", 3},
                                                {"$1F", 31},
                                                {"0x10", 16},
                                                {"2147483647", INT32_MAX},
                                                {"-2147483648", INT32_MIN},
                                                {"$FFFFFFFF", -1}};
    for (const auto& [text, value] : good)
        EXPECT_EQ(IntegerFromText(text), value) << text;
    for (std::string bad : {"", " ", "x", "21 ", "2 1", "2147483648", "0x", "$", "-", "1e3", "12a"})
        EXPECT_EQ(ErrorText([&] { IntegerFromText(bad); }), "'" + bad + "' is not a valid integer value") << bad;
}

struct FtpFieldsCase {
    std::string descrambled;
    TFTPdata expected; // prijava, geslo, streznik, vrata, root
};

TEST(ApplyFtpDescriptor, AssignsFieldsInTheFilesOrder) {
    const FtpFieldsCase cases[] = {
        {"ftp.example.com;user;secret;21;data", {"user", "secret", "ftp.example.com", "21", "data"}},
        {"ftp.example.com;user;secret;21;", {"user", "secret", "ftp.example.com", "21", ""}},
        {"ftp.example.com;user;;2121;data", {"user", "", "ftp.example.com", "2121", "data"}},
        {"ftp.example.com;user", {"user", "", "ftp.example.com", "", ""}},
        {"h;u;p;21;r;extra", {"u", "p", "h", "21", "r"}},
        {"h;u\xc5\xbe;p\xc4\x8d;21;", {"u\xc5\xbe", "p\xc4\x8d", "h", "21", ""}},
    };
    for (const auto& c : cases) {
        TFTPdata ftp{"old", "old", "old", "old", "old"};
        ApplyFtpDescriptor(Scrambled(c.descrambled), ftp);
        EXPECT_EQ(ftp.streznik, c.expected.streznik) << c.descrambled;
        EXPECT_EQ(ftp.prijava, c.expected.prijava) << c.descrambled;
        EXPECT_EQ(ftp.geslo, c.expected.geslo) << c.descrambled;
        EXPECT_EQ(ftp.vrata, c.expected.vrata) << c.descrambled;
        EXPECT_EQ(ftp.root, c.expected.root) << c.descrambled;
    }
}

TEST(ApplyFtpDescriptor, TextThatIsNotHexEmptiesEveryField) {
    for (std::string body : {Scrambled("h;u;p;21;r") + "\r\n", std::string("not hex at all")}) {
        TFTPdata ftp{"old", "old", "old", "old", "old"};
        ApplyFtpDescriptor(body, ftp);
        EXPECT_EQ(ftp.streznik + ftp.prijava + ftp.geslo + ftp.vrata + ftp.root, "");
    }
}

TEST(ApplyMailDescriptor, ConvertsTheTwoCodes) {
    TSMTPdata smtp;
    ApplyMailDescriptor(Scrambled("smtp.example.com\x01mailer\x01pw\x01"
                                  "587\x01"
                                  "2\x01"
                                  "1"),
                        smtp);
    EXPECT_EQ(smtp.streznik, "smtp.example.com");
    EXPECT_EQ(smtp.prijava, "mailer");
    EXPECT_EQ(smtp.geslo, "pw");
    EXPECT_EQ(smtp.vrata, "587");
    EXPECT_EQ(smtp.sifriranje, 2);
    EXPECT_EQ(smtp.ssl, 1);
}

TEST(ApplyMailDescriptor, ABadCodeRaisesTheConversionErrorAfterTheTexts) {
    TSMTPdata smtp;
    smtp.ssl = 9;
    EXPECT_EQ(ErrorText([&] {
                  ApplyMailDescriptor(Scrambled("s\x01u\x01p\x01"
                                                "25\x01"
                                                "2\x01tls"),
                                      smtp);
              }),
              "'tls' is not a valid integer value");
    EXPECT_EQ(smtp.streznik, "s");
    EXPECT_EQ(smtp.sifriranje, 2);
    EXPECT_EQ(smtp.ssl, 9);
    // Text that is not hexadecimal descrambles to nothing: field 5 is then empty.
    EXPECT_EQ(ErrorText([&] { ApplyMailDescriptor(Scrambled("s\x01u") + "\r\n", smtp); }),
              "'' is not a valid integer value");
    EXPECT_EQ(smtp.streznik, "");
}

// Points the service roots at the test's servers for the life of the object.
class ServiceRoots {
public:
    ServiceRoots(const std::string& https, const std::string& http) {
        test::SetEnvironment("QX_HTTPS_ROOT", https);
        test::SetEnvironment("QX_HTTP_ROOT", http);
    }
    ~ServiceRoots() {
        test::UnsetEnvironment("QX_HTTPS_ROOT");
        test::UnsetEnvironment("QX_HTTP_ROOT");
    }
};

std::string Root(const std::string& scheme, int port) {
    return scheme + "://127.0.0.1:" + std::to_string(port);
}

const std::string kFtpText = "ftp.example.com;user;secret;21;data";

std::string Route(const std::string& path, const std::string& body, int status = 200) {
    return JsonString(path) + R"(: {"status": )" + std::to_string(status) + R"(, "body": )" + JsonString(body) + "}";
}

struct FallbackCase {
    std::string name;
    // JSON routes of the HTTPS root; "refused" for no server at all, "plain" for one without TLS
    std::string httpsRoutes;
    std::string httpRoutes;
    std::string expectedServer; // streznik after the fetch
    std::string expectedUser;   // prijava after the fetch ("old": untouched)
    bool fallbackAsked;
};
void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.name;
}

class FetchFtpAccountFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(FetchFtpAccountFallback, UsesTheFirstRootThatAnswers) {
    const FallbackCase& c = GetParam();
    std::unique_ptr<test::ChildProcess> https;
    if (c.httpsRoutes == "plain")
        https = StartHttpServer("none", "{" + Route("/prenos/qfd.ftp", Scrambled("other;x;y;1;z")) + "}");
    else if (c.httpsRoutes != "refused")
        https = StartHttpServer("any", c.httpsRoutes);
    auto http = StartHttpServer("none", c.httpRoutes);
    ServiceRoots roots(https ? Root("https", https->port()) : "https://127.0.0.1:1", Root("http", http->port()));

    Session session;
    session.ftp = {"old", "old", "old", "old", "old"};
    int idles = 0;
    FetchFtpAccount(session, "QFD.FTP", [&] { ++idles; });
    EXPECT_EQ(session.ftp.streznik, c.expectedServer);
    EXPECT_EQ(session.ftp.prijava, c.expectedUser);
    std::string httpLog = http->readOutput(0.3);
    EXPECT_EQ(httpLog.find("REQUEST GET /ftp/qfd.ftp HTTP/1.1") != std::string::npos, c.fallbackAsked) << httpLog;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FetchFtpAccountFallback,
    ::testing::Values(
        FallbackCase{"HttpsServes", "{" + Route("/prenos/qfd.ftp", Scrambled(kFtpText)) + "}",
                     "{" + Route("/ftp/qfd.ftp", Scrambled("other;x;y;1;z")) + "}", "ftp.example.com", "user", false},
        FallbackCase{"HttpsMissingHttpServes", "{}", "{" + Route("/ftp/qfd.ftp", Scrambled(kFtpText)) + "}",
                     "ftp.example.com", "user", true},
        FallbackCase{"HttpsRedirects",
                     "{" + Route("/prenos/qfd.ftp", "", 301) + ", " + Route("/elsewhere", Scrambled(kFtpText)) + "}",
                     "{" + Route("/ftp/qfd.ftp", Scrambled(kFtpText)) + "}", "ftp.example.com", "user", true},
        FallbackCase{"HttpsRefused", "refused", "{" + Route("/ftp/qfd.ftp", Scrambled(kFtpText)) + "}",
                     "ftp.example.com", "user", true},
        FallbackCase{"HttpsHandshakeFails", "plain", "{" + Route("/ftp/qfd.ftp", Scrambled(kFtpText)) + "}",
                     "ftp.example.com", "user", true},
        FallbackCase{"HttpsEmptyBody", "{" + Route("/prenos/qfd.ftp", "") + "}",
                     "{" + Route("/ftp/qfd.ftp", Scrambled(kFtpText)) + "}", "", "old", false},
        FallbackCase{"BothMissing", "{}", "{}", "", "old", true},
        FallbackCase{"TrailingLineBreak", "{" + Route("/prenos/qfd.ftp", Scrambled(kFtpText) + "\r\n") + "}", "{}", "",
                     "", false},
        FallbackCase{"TrailingLineFeedOnly", "{" + Route("/prenos/qfd.ftp", Scrambled(kFtpText) + "\n") + "}", "{}",
                     "ftp.example.com", "user", false}),
    [](const auto& info) { return info.param.name; });

TEST(FetchMailAccount, RefreshesTheMailRecordAndKeepsItWhenNothingComes) {
    auto https = StartHttpServer("TLSv1", "{" +
                                              Route("/prenos/vortane.email", Scrambled("smtp.example.com\x01m\x01p\x01"
                                                                                       "465\x01"
                                                                                       "1\x01"
                                                                                       "2")) +
                                              "}");
    auto http = StartHttpServer("none", "{}");
    Session session;
    {
        ServiceRoots roots(Root("https", https->port()), Root("http", http->port()));
        FetchMailAccount(session);
    }
    EXPECT_EQ(session.smtp.streznik, "smtp.example.com");
    EXPECT_EQ(session.smtp.vrata, "465");
    EXPECT_EQ(session.smtp.sifriranje, 1);
    EXPECT_EQ(session.smtp.ssl, 2);
    {
        ServiceRoots roots("https://127.0.0.1:1", Root("http", http->port()));
        FetchMailAccount(session);
    }
    EXPECT_EQ(session.smtp.streznik, "smtp.example.com");
    EXPECT_EQ(session.smtp.ssl, 2);
}

TEST(ServiceRoots, EnvironmentOverridesTheBuiltInRoots) {
    test::UnsetEnvironment("QX_HTTPS_ROOT");
    EXPECT_EQ(ServiceHttpsRoot().rfind("https://", 0), 0u);
    ServiceRoots roots("https://127.0.0.1:8443/", "http://127.0.0.1:8080");
    EXPECT_EQ(ServiceHttpsRoot(), "https://127.0.0.1:8443");
    EXPECT_EQ(ServiceHttpRoot(), "http://127.0.0.1:8080");
}

} // namespace
} // namespace qx
