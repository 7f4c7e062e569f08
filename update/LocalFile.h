#pragma once
// Whole-file reads and writes on UTF-8 paths (the standard library's, with the path converted
// so that it also holds on Windows).
#include <filesystem>
#include <optional>
#include <string>

namespace qx::update {

std::filesystem::path LocalPath(const std::string& utf8);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);

} // namespace qx::update
