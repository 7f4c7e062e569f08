#pragma once
// A file opened for reading (shared: the owner of a source table may keep writing it),
// created new, or opened for update. Reads at an offset report how many bytes came.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace dbf {

// A file system path from the UTF-8 text the host gives (wide on Windows, bytes elsewhere).
inline std::filesystem::path FileSystemPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

class BinaryFile {
public:
    enum class Mode { Read, Create, Update };

    // False when the file cannot be opened in that mode.
    bool open(const std::string& path, Mode mode);
    void close();
    bool isOpen() const { return stream_.is_open(); }

    std::uint64_t size();
    // Reads up to `count` bytes at `offset`; the number read (short at the end of the file).
    std::size_t readAt(std::uint64_t offset, char* data, std::size_t count);
    // Throws TableError when the bytes cannot be written.
    void writeAt(std::uint64_t offset, const char* data, std::size_t count);
    void append(const char* data, std::size_t count);
    void flush();

    const std::string& path() const { return path_; }

private:
    std::fstream stream_;
    std::string path_;
};

} // namespace dbf
