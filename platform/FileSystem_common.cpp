#include "platform/FileSystem.h"

namespace qx::platform {

namespace {

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of(kHasDriveLetters ? std::string("\\/:") : std::string(1, kPathSeparator));
}

} // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

} // namespace qx::platform
