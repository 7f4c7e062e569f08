#include "dbf/BinaryFile.h"
#include "dbf/TableError.h"

namespace dbf {

bool BinaryFile::open(const std::string& path, Mode mode) {
    close();
    std::ios::openmode flags = std::ios::binary;
    switch (mode) {
    case Mode::Read:
        flags |= std::ios::in;
        break;
    case Mode::Create:
        flags |= std::ios::in | std::ios::out | std::ios::trunc;
        break;
    case Mode::Update:
        flags |= std::ios::in | std::ios::out;
        break;
    }
    stream_.open(FileSystemPath(path), flags);
    path_ = path;
    return stream_.is_open();
}

void BinaryFile::close() {
    if (stream_.is_open())
        stream_.close();
    stream_.clear();
}

std::uint64_t BinaryFile::size() {
    stream_.clear();
    stream_.seekg(0, std::ios::end);
    const std::streamoff end = stream_.tellg();
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

std::size_t BinaryFile::readAt(std::uint64_t offset, char* data, std::size_t count) {
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    if (!stream_)
        return 0;
    stream_.read(data, static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(stream_.gcount());
}

void BinaryFile::writeAt(std::uint64_t offset, const char* data, std::size_t count) {
    stream_.clear();
    stream_.seekp(static_cast<std::streamoff>(offset));
    stream_.write(data, static_cast<std::streamsize>(count));
    if (!stream_)
        throw TableError("Error writing file: " + path_);
}

void BinaryFile::append(const char* data, std::size_t count) {
    stream_.clear();
    stream_.seekp(0, std::ios::end);
    stream_.write(data, static_cast<std::streamsize>(count));
    if (!stream_)
        throw TableError("Error writing file: " + path_);
}

void BinaryFile::flush() {
    stream_.flush();
    if (!stream_)
        throw TableError("Error writing file: " + path_);
}

} // namespace dbf
