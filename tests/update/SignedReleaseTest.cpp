// Only what the maker signed is offered and installed: the information file's signature, the
// size and SHA-256 of every download, and the maker's tool that writes and signs them.
#include "tests/update/SignedRelease.h"
#include "platform/Signature.h"
#include "tests/update/UpdateServer.h"
#include "text/TextHelpers.h"
#include "update/FileDownload.h"
#include "update/UpdateDecision.h"
#include "update/VersionNumber.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace qx::update {
namespace {

using test::FileCheckLines;
using test::PublishSigned;
using test::ReadWholeFile;
using test::TempDir;
using test::UpdateServer;
using test::WriteWholeFile;
namespace fs = std::filesystem;

class NoProgress : public DownloadProgress {
public:
    void started(std::optional<std::uint64_t>) override {}
    void progressed(std::uint64_t received) override { last = received; }
    std::uint64_t last = 0;
};

std::string Payload(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes += static_cast<char>(i * 13 % 241);
    return bytes;
}

TEST(SignedInformationFile, OnlyTheMakersExactBytesArrive) {
    TempDir www;
    const std::string text = "#version=3.1\r\n#url1=http://h/a.exe\r\n" + FileCheckLines("1", "abc");
    PublishSigned(www.file("signed.inf"), text);
    PublishSigned(www.file("tampered.inf"), text);
    WriteWholeFile(www.file("tampered.inf"), "#version=9.9\r\n#url1=http://h/a.exe\r\n" + FileCheckLines("1", "abc"));
    PublishSigned(www.file("stranger.inf"), text, test::StrangerKey());
    WriteWholeFile(www.file("unsigned.inf"), text);
    PublishSigned(www.file("garbage.inf"), text);
    WriteWholeFile(www.file("garbage.inf.sig"), "not a signature at all");
    PublishSigned(www.file("hexsig.inf"), text);
    WriteWholeFile(www.file("hexsig.inf.sig"), HexOf(ReadWholeFile(www.file("signed.inf.sig"))));
    UpdateServer server(www.path());
    std::atomic<bool> cancel{false};

    InformationFetch fetched = FetchInformationFile(server.url("/signed.inf"), cancel);
    EXPECT_EQ(fetched.http.outcome, TransferOutcome::Complete) << fetched.http.error;
    EXPECT_EQ(fetched.text.bytes, text);
    EXPECT_NE(server.requests().find("GET /signed.inf.sig"), std::string::npos);

    for (const char* name : {"/tampered.inf", "/stranger.inf", "/unsigned.inf", "/garbage.inf", "/hexsig.inf"}) {
        InformationFetch refused = FetchInformationFile(server.url(name), cancel);
        EXPECT_EQ(refused.http.outcome, TransferOutcome::Unsigned) << name;
        EXPECT_TRUE(refused.text.bytes.empty()) << name;
    }
}

TEST(SignedInformationFile, EveryFileToInstallNeedsItsSizeAndHash) {
    TargetFolders folders;
    folders.current = "/prog";
    const std::string a = "#url1=http://h/a.exe\r\n", b = "#url2=http://h/b.dll\r\n";
    const std::string hashA = HexOf(platform::Sha256Of("A"));
    struct Case {
        const char* name;
        std::string text;
        bool available;
    };
    const std::vector<Case> cases = {
        {"both files vouched for", "#version=3.1\r\n" + a + b + FileCheckLines("1", "A") + FileCheckLines("2", "BB"),
         true},
        {"keys in capitals",
         "#VERSION=3.1\r\n#URL1=http://h/a.exe\r\n#SIZE1=1\r\n#HASH1=" + AsciiUpperCase(hashA) + "\r\n", true},
        {"the second file without keys", "#version=3.1\r\n" + a + b + FileCheckLines("1", "A"), false},
        {"a size only", "#version=3.1\r\n" + a + "#size1=1\r\n", false},
        {"a hash only", "#version=3.1\r\n" + a + "#hash1=" + hashA + "\r\n", false},
        {"a hash too short", "#version=3.1\r\n" + a + "#size1=1\r\n#hash1=" + hashA.substr(2) + "\r\n", false},
        {"a hash not hex", "#version=3.1\r\n" + a + "#size1=1\r\n#hash1=" + std::string(64, 'g') + "\r\n", false},
        {"a signed size", "#version=3.1\r\n" + a + "#size1=+1\r\n#hash1=" + hashA + "\r\n", false},
        {"a size with a blank", "#version=3.1\r\n" + a + "#size1=1 \r\n#hash1=" + hashA + "\r\n", false},
        {"a size beyond reason", "#version=3.1\r\n" + a + "#size1=99999999999999999999\r\n#hash1=" + hashA + "\r\n",
         false},
        // Signed, but older: an old signed file never rolls the program back.
        {"an older version vouched for", "#version=3.0.22\r\n" + a + FileCheckLines("1", "A"), false},
        {"a redirect installs nothing", "#version=3.1\r\n#method=2\r\n" + a, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideUpdate(AnsiText(c.text), kOwnVersion, folders).available, c.available) << c.name;

    UpdateOffer offer =
        DecideUpdate(AnsiText("#version=3.1\r\n#url=http://h/x\r\n#url0=http://h/y\r\n#url3=http://h/z\r\n" +
                              FileCheckLines("", "X") + FileCheckLines("0", "YY") + FileCheckLines("3", "ZZZ")),
                     kOwnVersion, folders);
    ASSERT_TRUE(offer.available);
    ASSERT_EQ(offer.entries.size(), 3u);
    EXPECT_EQ(offer.entries[0].size, 1u);
    EXPECT_EQ(offer.entries[1].size, 2u);
    EXPECT_EQ(offer.entries[2].size, 3u);
    EXPECT_EQ(offer.entries[2].sha256, platform::Sha256Of("ZZZ"));
}

TEST(SignedDownload, AFileOtherThanTheSignedOneIsABrokenTransfer) {
    TempDir www, target;
    const std::string genuine = Payload(50000);
    std::string tampered = genuine;
    tampered[25000] ^= 0x20;
    UpdateServer::Publish(www.path(), "genuine.bin", genuine);
    UpdateServer::Publish(www.path(), "tampered.bin", tampered);
    UpdateServer::Publish(www.path(), "longer.bin", genuine + "appended");
    UpdateServer server(www.path());
    struct Case {
        const char* name;
        std::string path;
        TransferOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"the genuine file", "/genuine.bin", TransferOutcome::Complete},
        {"the genuine file without a length", "/nolength/genuine.bin", TransferOutcome::Complete},
        {"one bit changed", "/tampered.bin", TransferOutcome::BrokenOff},
        {"cut short without a length", "/cut/genuine.bin", TransferOutcome::BrokenOff},
        {"longer than stated", "/longer.bin", TransferOutcome::BrokenOff},
        {"longer than stated without a length", "/nolength/longer.bin", TransferOutcome::BrokenOff},
    };
    std::atomic<bool> cancel{false};
    for (const Case& c : cases) {
        DownloadEntry entry{server.url(c.path), target.file("app.bin"), true, genuine.size(),
                            platform::Sha256Of(genuine)};
        NoProgress progress;
        HttpResult result = DownloadToTemporaryFile(entry, progress, cancel);
        EXPECT_EQ(result.outcome, c.outcome) << c.name << ": " << result.error;
        // Nothing past the stated size is ever written.
        EXPECT_LE(progress.last, genuine.size()) << c.name;
        if (fs::exists(target.file("app.bin.uTMP"))) {
            EXPECT_LE(fs::file_size(target.file("app.bin.uTMP")), genuine.size()) << c.name;
        }
        fs::remove(target.file("app.bin.uTMP"));
    }
}

// The maker's tool as a maintainer runs it, its signature checked by an independent verifier
// (Python's cryptography) and by the program.
TEST(MakersTool, WritesTheFileKeysAndSignsTheResult) {
    TempDir release;
    WriteWholeFile(release.file("qx.exe"), Payload(70000));
    WriteWholeFile(release.file("help.chm"), "help");
    const std::string written = "#version=3.1\r\n#message={Nova verzija}\r\n#url1=http://h/dl/qx.exe\r\n"
                                "#url2=http://h/dl/help.chm=%current%\\help.chm\r\n#size1=5\r\n#hash1=" +
                                std::string(64, '0') + "\r\n";
    WriteWholeFile(release.file("qx.inf"), written);
    std::string tool = std::string(QX_BINARY_DIR) + "/bin/qxsign";
    std::string run = "'" + tool + "' --key '" + test::MakerTestKey() + "' '" + release.file("qx.inf") + "' >/dev/null";
    // Signing twice leaves one pair of keys for each file.
    ASSERT_EQ(std::system(run.c_str()), 0);
    ASSERT_EQ(std::system(run.c_str()), 0);

    std::string text = ReadWholeFile(release.file("qx.inf"));
    EXPECT_EQ(text, "#version=3.1\r\n#message={Nova verzija}\r\n#url1=http://h/dl/qx.exe\r\n"
                    "#url2=http://h/dl/help.chm=%current%\\help.chm\r\n" +
                        FileCheckLines("1", Payload(70000)) + FileCheckLines("2", "help"));
    std::string signature = ReadWholeFile(release.file("qx.inf.sig"));
    EXPECT_EQ(signature.size(), platform::kP256SignatureBytes);
    EXPECT_TRUE(platform::VerifyP256Sha256(MakerPublicKey(), text, signature));

    std::string verify = std::string(QX_PYTHON) + " - '" + test::MakerTestKey() + "' '" + release.file("qx.inf") +
                         "' <<'EOF'\n"
                         "import sys\n"
                         "from cryptography.hazmat.primitives import hashes, serialization\n"
                         "from cryptography.hazmat.primitives.asymmetric import ec, utils\n"
                         "key = serialization.load_pem_private_key(open(sys.argv[1], 'rb').read(), None)\n"
                         "sig = open(sys.argv[2] + '.sig', 'rb').read()\n"
                         "der = utils.encode_dss_signature(int.from_bytes(sig[:32], 'big'), "
                         "int.from_bytes(sig[32:], 'big'))\n"
                         "key.public_key().verify(der, open(sys.argv[2], 'rb').read(), ec.ECDSA(hashes.SHA256()))\n"
                         "EOF";
    EXPECT_EQ(std::system(verify.c_str()), 0);

    TargetFolders folders;
    folders.current = "/prog";
    UpdateOffer offer = DecideUpdate(AnsiText(text), kOwnVersion, folders);
    ASSERT_TRUE(offer.available);
    EXPECT_EQ(offer.entries[0].size, 70000u);
    EXPECT_EQ(offer.entries[1].sha256, platform::Sha256Of("help"));

    // A release file that is missing: nothing is signed.
    fs::remove(release.file("help.chm"));
    fs::remove(release.file("qx.inf.sig"));
    EXPECT_NE(std::system((run + " 2>/dev/null").c_str()), 0);
    EXPECT_FALSE(fs::exists(release.file("qx.inf.sig")));
    EXPECT_EQ(ReadWholeFile(release.file("qx.inf")), text);
}

} // namespace
} // namespace qx::update
