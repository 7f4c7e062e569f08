#include "dbf/FieldText.h"
#include "dbf/Bytes.h"

#include <cstdio>
#include <cstring>

namespace dbf {
namespace {

constexpr std::uint8_t kFlagBinary = 0x04; // NOCPTRANS: stored without code-page translation

std::string TrimTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

bool NullFlag(const TableHeader& header, const char* record, int bit) {
    if (bit < 0 || header.nullFlagsField < 0)
        return false;
    const FieldDescriptor& flags = header.fields[header.nullFlagsField];
    const auto byte = static_cast<unsigned char>(record[flags.offset + bit / 8]);
    return (byte >> (bit % 8)) & 1;
}

std::int64_t ReadLe64(const char* p) {
    const std::uint64_t low = ReadLe32(p), high = ReadLe32(p + 4);
    return static_cast<std::int64_t>(low | (high << 32));
}

std::string Currency(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%04llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    return text;
}

// Visual FoxPro datetime: Julian day number and milliseconds since midnight.
std::string DateTime(const char* p) {
    const std::int64_t julian = static_cast<std::int32_t>(ReadLe32(p));
    if (julian == 0)
        return {};
    const std::int64_t ms = ReadLe32(p + 4);
    // Julian day to civil date (Richards' algorithm).
    std::int64_t f = julian + 1401 + (((4 * julian + 274277) / 146097) * 3) / 4 - 38;
    std::int64_t e = 4 * f + 3, g = (e % 1461) / 4, h = 5 * g + 2;
    const std::int64_t day = (h % 153) / 5 + 1, month = (h / 153 + 2) % 12 + 1;
    const std::int64_t year = e / 1461 - 4716 + (12 + 2 - month) / 12;
    const std::int64_t seconds = (ms + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%04lld%02lld%02lld%02lld%02lld%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

std::string FieldText(const TableHeader& header, const FieldDescriptor& field, const char* record, MemoReader& memo,
                      const Host& host) {
    if (NullFlag(header, record, field.nullBit))
        return {};
    const char* bytes = record + field.offset;
    const bool translate = !(field.flags & kFlagBinary);
    switch (field.type) {
    case 'C': {
        const std::string_view stored(bytes, field.length);
        return TrimTrailingBlanks(translate ? host.oemToAnsi(stored) : std::string(stored));
    }
    case 'V':
    case 'Q': {
        std::size_t length = field.length;
        if (NullFlag(header, record, field.lengthBit))
            length = std::min<std::size_t>(static_cast<unsigned char>(bytes[field.length - 1]), field.length - 1);
        const std::string_view stored(bytes, length);
        return TrimTrailingBlanks(field.type == 'V' && translate ? host.oemToAnsi(stored) : std::string(stored));
    }
    case 'M':
    case 'G':
    case 'P': {
        const std::uint32_t block = MemoBlockOf(std::string_view(bytes, field.length));
        if (block == 0 || !memo.isOpen())
            return {};
        MemoValue value = memo.read(block);
        return TrimTrailingBlanks(field.type == 'M' && translate ? host.oemToAnsi(value.data) : std::move(value.data));
    }
    case 'I':
        return std::to_string(static_cast<std::int32_t>(ReadLe32(bytes)));
    case 'B': {
        double value;
        std::memcpy(&value, bytes, sizeof value);
        char text[64];
        if (field.decimals > 0)
            std::snprintf(text, sizeof text, "%.*f", static_cast<int>(field.decimals), value);
        else
            std::snprintf(text, sizeof text, "%.15g", value);
        return text;
    }
    case 'Y':
        return Currency(ReadLe64(bytes));
    case 'T':
        return DateTime(bytes);
    default:
        return TrimTrailingBlanks(std::string(bytes, field.length));
    }
}

} // namespace dbf
