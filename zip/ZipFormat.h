#pragma once
// Record signatures, field limits and little-endian helpers of the ZIP container (PKWARE APPNOTE).
#include <cstdint>
#include <string>

namespace qx::zip {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::uint16_t kZip64ExtraId = 0x0001;

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kEncryptionHeaderSize = 12;

constexpr std::uint32_t kMax32 = 0xFFFFFFFF;
constexpr std::uint16_t kMax16 = 0xFFFF;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagUtf8Name = 0x0800;

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;

constexpr std::uint16_t kVersionMadeBy = 45;
constexpr std::uint16_t kHostUtf8Name = 11;
constexpr std::uint16_t kVersionNeeded = 20;
constexpr std::uint16_t kVersionNeededZip64 = 45;

// Appends little-endian integers to a record under construction.
inline void Put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void Put64(std::string& out, std::uint64_t v) {
    Put32(out, static_cast<std::uint32_t>(v & 0xFFFFFFFF));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

// Reads little-endian integers; the caller has checked the bounds.
inline std::uint16_t Get16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(Get16(p)) | (static_cast<std::uint32_t>(Get16(p + 2)) << 16);
}
inline std::uint64_t Get64(const unsigned char* p) {
    return static_cast<std::uint64_t>(Get32(p)) | (static_cast<std::uint64_t>(Get32(p + 4)) << 32);
}

// Rounded percentage of done / whole, capped at 100; a whole of 0 gives 0.
inline int Percent(std::uint64_t done, std::uint64_t whole) {
    if (whole == 0)
        return 0;
    const long double exact = static_cast<long double>(done) * 100.0L / static_cast<long double>(whole);
    return exact >= 100.0L ? 100 : static_cast<int>(exact + 0.5L);
}

} // namespace qx::zip
