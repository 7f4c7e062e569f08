#include "tests/update/SignedRelease.h"

#include "platform/Signature.h"
#include "tests/support/TempDir.h"
#include "text/TextHelpers.h"
#include "tools/qxsign/ReleaseSigning.h"

#include <filesystem>

namespace qx::test {

std::string MakerTestKey() {
    return std::string(QX_SOURCE_DIR) + "/tests/update/keys/maker_test.pem";
}

std::string StrangerKey() {
    return std::string(QX_SOURCE_DIR) + "/tests/update/keys/stranger.pem";
}

std::string FileCheckLines(const std::string& suffix, const std::string& bytes) {
    return "#size" + suffix + "=" + std::to_string(bytes.size()) + "\r\n#hash" + suffix + "=" +
           HexOf(platform::Sha256Of(bytes)) + "\r\n";
}

void PublishSigned(const std::string& path, const std::string& text, const std::string& key) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, text);
    WriteWholeFile(path + ".sig", tools::SignP256(key, text));
}

} // namespace qx::test
