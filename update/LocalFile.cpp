#include "update/LocalFile.h"

#include <fstream>
#include <sstream>

namespace qx::update {

std::filesystem::path LocalPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(LocalPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(LocalPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace qx::update
