#include "zip/CentralDirectory.h"

#include "text/Error.h"
#include "zip/ZipFormat.h"

#include <algorithm>

namespace qx::zip {
namespace {

constexpr const char* kBadDirectory = "The archive's central directory cannot be read";
constexpr std::size_t kMaxCommentSize = 0xFFFF;

[[noreturn]] void Fail() {
    throw Error(kBadDirectory);
}

std::string ReadBlock(InputDevice& device, std::uint64_t offset, std::uint64_t size) {
    if (offset > device.size() || size > device.size() - offset)
        Fail();
    std::string data(static_cast<std::size_t>(size), '\0');
    if (size != 0 && device.readAt(offset, data.data(), data.size()) != data.size())
        Fail();
    return data;
}

const unsigned char* Bytes(const std::string& s, std::size_t at = 0) {
    return reinterpret_cast<const unsigned char*>(s.data()) + at;
}

struct EndValues {
    std::uint64_t entryCount = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
};

// The end record is the last signature whose comment reaches exactly to the end of the file.
std::uint64_t FindEndRecord(InputDevice& device, std::string& tail, std::uint64_t& tailStart) {
    const std::uint64_t size = device.size();
    if (size < kEndRecordSize)
        Fail();
    const std::uint64_t span = std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize);
    tailStart = size - span;
    tail = ReadBlock(device, tailStart, span);
    for (std::size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        if (Get32(Bytes(tail, at)) == kEndSignature && at + kEndRecordSize + Get16(Bytes(tail, at + 20)) == tail.size())
            return tailStart + at;
    }
    // Tolerate trailing bytes after the record as other readers do: take the last signature.
    for (std::size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;)
        if (Get32(Bytes(tail, at)) == kEndSignature)
            return tailStart + at;
    Fail();
}

EndValues ReadEndValues(InputDevice& device) {
    std::string tail;
    std::uint64_t tailStart = 0;
    const std::uint64_t endOffset = FindEndRecord(device, tail, tailStart);
    const unsigned char* end = Bytes(tail, static_cast<std::size_t>(endOffset - tailStart));
    EndValues values{Get16(end + 10), Get32(end + 12), Get32(end + 16)};
    const bool wantsZip64 =
        values.entryCount == kMax16 || values.directorySize == kMax32 || values.directoryOffset == kMax32;
    if (wantsZip64 && endOffset >= kZip64LocatorSize) {
        const std::string locator = ReadBlock(device, endOffset - kZip64LocatorSize, kZip64LocatorSize);
        if (Get32(Bytes(locator)) == kZip64LocatorSignature) {
            const std::string record = ReadBlock(device, Get64(Bytes(locator, 8)), kZip64EndRecordSize);
            if (Get32(Bytes(record)) != kZip64EndSignature)
                Fail();
            values = {Get64(Bytes(record, 32)), Get64(Bytes(record, 40)), Get64(Bytes(record, 48))};
        }
    }
    return values;
}

// Replaces the 32-bit fields that hold 0xFFFFFFFF by the values of the ZIP64 extra field.
void ApplyZip64Extra(const unsigned char* extra, std::size_t size, DirectoryEntry& entry, bool offsetInZip64) {
    std::size_t at = 0;
    while (at + 4 <= size) {
        const std::uint16_t id = Get16(extra + at);
        const std::uint16_t length = Get16(extra + at + 2);
        if (at + 4 + length > size)
            return;
        if (id == kZip64ExtraId) {
            const unsigned char* p = extra + at + 4;
            std::size_t left = length;
            auto take = [&](std::uint64_t& field) {
                if (left < 8)
                    Fail();
                field = Get64(p);
                p += 8;
                left -= 8;
            };
            if (entry.uncompressedSize == kMax32)
                take(entry.uncompressedSize);
            if (entry.compressedSize == kMax32)
                take(entry.compressedSize);
            if (offsetInZip64)
                take(entry.localHeaderOffset);
            return;
        }
        at += 4 + length;
    }
}

} // namespace

std::vector<DirectoryEntry> ReadCentralDirectory(InputDevice& device) {
    const EndValues end = ReadEndValues(device);
    const std::string directory = ReadBlock(device, end.directoryOffset, end.directorySize);
    std::vector<DirectoryEntry> entries;
    std::size_t at = 0;
    for (std::uint64_t i = 0; i < end.entryCount; ++i) {
        if (directory.size() - at < kCentralHeaderSize)
            Fail();
        const unsigned char* record = Bytes(directory, at);
        if (Get32(record) != kCentralHeaderSignature)
            Fail();
        const std::size_t nameSize = Get16(record + 28);
        const std::size_t extraSize = Get16(record + 30);
        const std::size_t commentSize = Get16(record + 32);
        const std::size_t recordSize = kCentralHeaderSize + nameSize + extraSize + commentSize;
        if (directory.size() - at < recordSize)
            Fail();
        DirectoryEntry entry;
        entry.flags = Get16(record + 8);
        entry.method = Get16(record + 10);
        entry.dosTime = Get16(record + 12);
        entry.crc = Get32(record + 16);
        entry.compressedSize = Get32(record + 20);
        entry.uncompressedSize = Get32(record + 24);
        entry.localHeaderOffset = Get32(record + 42);
        entry.storedName.assign(reinterpret_cast<const char*>(record + kCentralHeaderSize), nameSize);
        ApplyZip64Extra(record + kCentralHeaderSize + nameSize, extraSize, entry, entry.localHeaderOffset == kMax32);
        entries.push_back(std::move(entry));
        at += recordSize;
    }
    return entries;
}

} // namespace qx::zip
