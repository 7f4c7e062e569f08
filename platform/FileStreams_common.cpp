#include "platform/FileStreams.h"

#include <sstream>

namespace qx::platform {

void OpenForReading(std::ifstream& stream, const std::string& path) {
    stream.open(NativePath(path), std::ios::binary | std::ios::in);
}

void OpenForWriting(std::ofstream& stream, const std::string& path) {
    stream.open(NativePath(path), std::ios::binary | std::ios::out | std::ios::trunc);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in;
    OpenForReading(in, path);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out;
    OpenForWriting(out, path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace qx::platform
