#pragma once
// Files read and written by their UTF-8 paths through the standard library's streams. The
// one place where such a path becomes the system's own form.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace qx::platform {

// The UTF-8 path as the standard library's file calls take it here (UTF-16 on Windows).
std::filesystem::path NativePath(const std::string& utf8);

// Open `stream` in binary mode, for reading from the start, or created or emptied for writing;
// the stream shows a failure as usual. A buffer set on it before stays in use.
void OpenForReading(std::ifstream& stream, const std::string& path);
void OpenForWriting(std::ofstream& stream, const std::string& path);

// The whole file; nullopt when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Replaces the file's content; false when it could not all be written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace qx::platform
