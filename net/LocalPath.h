#pragma once
// A UTF-8 path as the standard library's file streams take it on every platform.
#include <filesystem>
#include <string>

namespace qx::net {

inline std::filesystem::path LocalPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace qx::net
