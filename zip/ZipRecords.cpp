#include "zip/ZipRecords.h"

#include "zip/ZipFormat.h"

namespace qx::zip {
namespace {

std::uint16_t VersionMadeBy(const EntryFields& entry) {
    return static_cast<std::uint16_t>(kVersionMadeBy | ((entry.utf8Name ? kHostUtf8Name : 0) << 8));
}

std::uint16_t VersionNeeded(const EntryFields& entry) {
    return (entry.zip64Sizes || entry.zip64Offset) ? kVersionNeededZip64 : kVersionNeeded;
}

std::uint32_t Field32(bool inZip64, std::uint64_t value) {
    return inZip64 ? kMax32 : static_cast<std::uint32_t>(value);
}

// The fields both headers share, from "version needed" to the uncompressed size.
void PutCommonFields(std::string& out, const EntryFields& entry) {
    Put16(out, VersionNeeded(entry));
    Put16(out, entry.flags);
    Put16(out, kMethodDeflate);
    Put16(out, entry.dosTime);
    Put16(out, entry.dosDate);
    Put32(out, entry.crc);
    Put32(out, Field32(entry.zip64Sizes, entry.compressedSize));
    Put32(out, Field32(entry.zip64Sizes, entry.uncompressedSize));
}

} // namespace

std::string LocalHeader(const EntryFields& entry) {
    std::string extra;
    if (entry.zip64Sizes) {
        Put16(extra, kZip64ExtraId);
        Put16(extra, 16);
        Put64(extra, entry.uncompressedSize);
        Put64(extra, entry.compressedSize);
    }
    std::string out;
    Put32(out, kLocalHeaderSignature);
    PutCommonFields(out, entry);
    Put16(out, static_cast<std::uint16_t>(entry.storedName.size()));
    Put16(out, static_cast<std::uint16_t>(extra.size()));
    return out + entry.storedName + extra;
}

std::string CentralRecord(const EntryFields& entry) {
    std::string values;
    if (entry.zip64Sizes) {
        Put64(values, entry.uncompressedSize);
        Put64(values, entry.compressedSize);
    }
    if (entry.zip64Offset)
        Put64(values, entry.localHeaderOffset);
    std::string extra;
    if (!values.empty()) {
        Put16(extra, kZip64ExtraId);
        Put16(extra, static_cast<std::uint16_t>(values.size()));
        extra += values;
    }
    std::string out;
    Put32(out, kCentralHeaderSignature);
    Put16(out, VersionMadeBy(entry));
    PutCommonFields(out, entry);
    Put16(out, static_cast<std::uint16_t>(entry.storedName.size()));
    Put16(out, static_cast<std::uint16_t>(extra.size()));
    Put16(out, 0); // comment length
    Put16(out, 0); // disk number start
    Put16(out, 0); // internal attributes
    Put32(out, entry.externalAttributes);
    Put32(out, Field32(entry.zip64Offset, entry.localHeaderOffset));
    return out + entry.storedName + extra;
}

std::string EndRecords(std::uint64_t entryCount, std::uint64_t directorySize, std::uint64_t directoryOffset) {
    const bool countOverflows = entryCount >= kMax16;
    const bool sizeOverflows = directorySize >= kMax32;
    const bool offsetOverflows = directoryOffset >= kMax32;
    std::string out;
    if (countOverflows || sizeOverflows || offsetOverflows) {
        const std::uint64_t zip64EndOffset = directoryOffset + directorySize;
        Put32(out, kZip64EndSignature);
        Put64(out, kZip64EndRecordSize - 12);
        Put16(out, kVersionMadeBy);
        Put16(out, kVersionNeededZip64);
        Put32(out, 0); // this disk
        Put32(out, 0); // disk with the central directory
        Put64(out, entryCount);
        Put64(out, entryCount);
        Put64(out, directorySize);
        Put64(out, directoryOffset);
        Put32(out, kZip64LocatorSignature);
        Put32(out, 0);
        Put64(out, zip64EndOffset);
        Put32(out, 1); // total disks
    }
    const auto count16 = static_cast<std::uint16_t>(countOverflows ? kMax16 : entryCount);
    Put32(out, kEndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, count16);
    Put16(out, count16);
    Put32(out, static_cast<std::uint32_t>(sizeOverflows ? kMax32 : directorySize));
    Put32(out, static_cast<std::uint32_t>(offsetOverflows ? kMax32 : directoryOffset));
    Put16(out, 0); // comment length
    return out;
}

} // namespace qx::zip
