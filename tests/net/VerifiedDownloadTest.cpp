// Update downloads over https take a certificate only when the system's trusted roots vouch
// for it and it names the host asked for; the descriptor fetches check nothing.
#include "platform/Signature.h"
#include "tests/net/PeerServers.h"
#include "tests/net/TrustedRoot.h"
#include "tests/support/TempDir.h"
#include "update/FileDownload.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qx::update {
namespace {

class NoProgress : public DownloadProgress {
public:
    void started(std::optional<std::uint64_t>) override {}
    void progressed(std::uint64_t) override {}
};

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// The authority of a "signed" server, from the line it prints after READY.
std::string AuthorityOf(test::ChildProcess& server) {
    for (int i = 0; i < 50; ++i) {
        auto lines = test::LinesStartingWith(server.readOutput(0.1), "AUTHORITY ");
        if (!lines.empty())
            return Unhex(lines.front());
    }
    throw std::runtime_error("the server named no authority");
}

TEST(VerifiedDownload, TakesOnlyACertificateTheSystemTrustsForTheHostAsked) {
    const std::string body = "nova verzija";
    const std::string routes = R"({"/qfd/qx.exe": {"body": ")" + body + R"("}})";
    auto signedServer = test::StartHttpServer("signed", routes);
    auto selfSigned = test::StartHttpServer("any", routes);
    test::TrustedRoot trust(AuthorityOf(*signedServer));
    const std::string signedPort = std::to_string(signedServer->port());
    struct Case {
        const char* what;
        std::string url;
        bool downloads;
    };
    const Case cases[] = {
        {"signed by a trusted authority", "https://127.0.0.1:" + signedPort + "/qfd/qx.exe", true},
        {"trusted, but the certificate names another host", "https://localhost:" + signedPort + "/qfd/qx.exe", false},
        {"nobody vouches for it", "https://127.0.0.1:" + std::to_string(selfSigned->port()) + "/qfd/qx.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir target;
        NoProgress progress;
        std::atomic<bool> cancel{false};
        const DownloadEntry entry{c.url, target.file("qx.exe"), true, body.size(), platform::Sha256Of(body)};
        HttpResult result = DownloadToTemporaryFile(entry, progress, cancel);
        const std::string partial = target.file("qx.exe") + kTemporarySuffix;
        if (c.downloads) {
            EXPECT_EQ(result.outcome, TransferOutcome::Complete) << result.error;
            EXPECT_EQ(test::ReadWholeFile(partial), body);
        } else {
            EXPECT_EQ(result.outcome, TransferOutcome::NoAnswer) << result.error;
            EXPECT_NE(result.error.find("SSL negotiation failed"), std::string::npos) << result.error;
            EXPECT_FALSE(std::filesystem::exists(partial));
        }
    }
}

} // namespace
} // namespace qx::update
