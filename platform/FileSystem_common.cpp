#include "platform/FileSystem.h"

namespace qx::platform {

namespace {

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of(kHasDriveLetters ? std::string("\\/:") : std::string(1, kPathSeparator));
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string AppendBackslash(const std::string& path) {
    if (path.empty())
        return path;
    const char last = path.back();
    if (last == kPathSeparator || (kHasDriveLetters && last == ':'))
        return path;
    if (kHasDriveLetters && path.size() == 1 && IsAsciiLetter(last))
        return path + ":" + kPathSeparator;
    return path + kPathSeparator;
}

bool IsDirectory(const std::string& path) {
    return !path.empty() && IsExistingDirectory(path);
}

std::string FolderOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

} // namespace qx::platform
