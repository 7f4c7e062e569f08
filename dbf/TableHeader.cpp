#include "dbf/TableHeader.h"
#include "dbf/Bytes.h"
#include "dbf/TableError.h"

#include <algorithm>
#include <cctype>

namespace dbf {
namespace {

constexpr std::size_t kDescriptorSize = 32;
constexpr char kDescriptorEnd = 0x0D;
constexpr std::uint8_t kFlagNullable = 0x02;
constexpr std::uint8_t kTableFlagStructuralIndex = 0x01;

bool IsSupportedVersion(std::uint8_t version) {
    switch (version) {
    case 0x03:
    case 0x83:
    case 0xF5:
    case 0x30:
    case 0x31:
    case 0x32:
        return true;
    default:
        return false;
    }
}

// Fixed widths the engine relies on when it reads a value; anything else is a damaged descriptor.
bool WidthFitsType(char type, std::uint8_t length) {
    switch (type) {
    case 'D':
        return length == 8;
    case 'L':
        return length == 1;
    case 'I':
        return length == 4;
    case 'B':
    case 'Y':
    case 'T':
        return length == 8;
    case 'M':
    case 'G':
    case 'P':
        return length == 4 || length == 10;
    default:
        return length > 0;
    }
}

bool IsVariableLength(char type) {
    return type == 'V' || type == 'Q';
}

} // namespace

MemoKind TableHeader::memoKind() const {
    if (!hasMemoFields())
        return MemoKind::None;
    return version == 0x83 || version == 0x03 ? MemoKind::Dbt : MemoKind::Fpt;
}

bool TableHeader::hasMemoFields() const {
    return std::any_of(fields.begin(), fields.end(), [](const FieldDescriptor& f) { return f.isMemo(); });
}

int TableHeader::findField(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& candidate = fields[i].name;
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(i);
    }
    return -1;
}

void ParsePrefix(std::string_view prefix, TableHeader& header) {
    if (prefix.size() < TableHeader::kPrefixSize)
        throw TableError("", "header shorter than 32 bytes");
    header.version = static_cast<std::uint8_t>(prefix[0]);
    if (!IsSupportedVersion(header.version))
        throw TableError("", "unsupported version byte");
    header.promisedRecords = ReadLe32(prefix.data() + 4);
    header.headerLength = ReadLe16(prefix.data() + 8);
    header.recordLength = ReadLe16(prefix.data() + 10);
    if (header.headerLength < TableHeader::kPrefixSize + kDescriptorSize + 1)
        throw TableError("", "header length too small for one field");
    if (header.recordLength < 2)
        throw TableError("", "record length too small for one field");
}

void ParseDescriptors(std::string_view bytes, TableHeader& header) {
    header.fields.clear();
    header.nullFlagsField = -1;
    std::uint32_t offset = 1; // byte 0 is the deleted flag
    std::size_t pos = TableHeader::kPrefixSize;
    while (pos < bytes.size() && bytes[pos] != kDescriptorEnd) {
        if (pos + kDescriptorSize > bytes.size())
            throw TableError("", "field descriptor runs past the header");
        const char* d = bytes.data() + pos;
        FieldDescriptor field;
        field.name.assign(d, std::find(d, d + 11, '\0') - d);
        field.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
        field.length = static_cast<std::uint8_t>(d[16]);
        field.decimals = static_cast<std::uint8_t>(d[17]);
        field.flags = header.isVisualFoxPro() ? static_cast<std::uint8_t>(d[18]) : 0;
        field.offset = offset;
        if (field.name.empty())
            throw TableError("", "field without a name");
        if (!WidthFitsType(field.type, field.length))
            throw TableError("", "field " + field.name + " has a width its type cannot have");
        offset += field.length;
        if (offset > header.recordLength)
            throw TableError("", "fields longer than the record length");
        if (field.type == '0')
            header.nullFlagsField = static_cast<int>(header.fields.size());
        header.fields.push_back(std::move(field));
        pos += kDescriptorSize;
    }
    if (header.fields.empty())
        throw TableError("", "table without fields");
    if (offset != header.recordLength)
        throw TableError("", "record length differs from the fields' widths");

    // Visual FoxPro numbers the bits of _NullFlags in field order: a varchar's length bit, then a null bit.
    if (header.nullFlagsField >= 0) {
        int bit = 0;
        for (FieldDescriptor& field : header.fields) {
            if (field.type == '0')
                continue;
            if (IsVariableLength(field.type))
                field.lengthBit = bit++;
            if (field.flags & kFlagNullable)
                field.nullBit = bit++;
        }
        if (bit > header.fields[header.nullFlagsField].length * 8)
            throw TableError("", "_NullFlags too short for its fields");
    }
}

std::string BlankRecord(const TableHeader& header) {
    std::string record(header.recordLength, ' ');
    for (const FieldDescriptor& field : header.fields) {
        const bool binary = field.type == 'I' || field.type == 'B' || field.type == 'Y' || field.type == 'T' ||
                            field.type == '0' || field.type == 'Q' || field.type == 'W' ||
                            (field.isMemo() && field.length == 4);
        if (binary)
            std::fill_n(record.begin() + field.offset, field.length, '\0');
    }
    return record;
}

std::string HeaderForCopy(const TableHeader& header, std::uint32_t recordCount, int year, int month, int day) {
    std::string bytes = header.bytes;
    // dBASE counts the year from 1900; FoxPro keeps its last two digits.
    const bool dBase = header.version == 0x03 || header.version == 0x83;
    bytes[1] = static_cast<char>((dBase ? year - 1900 : year % 100) & 0xFF);
    bytes[2] = static_cast<char>(month);
    bytes[3] = static_cast<char>(day);
    WriteLe32(bytes.data() + 4, recordCount);
    // No copy carries the index file, whatever the version names it (.CDX, .MDX).
    bytes[28] = static_cast<char>(static_cast<std::uint8_t>(bytes[28]) & ~kTableFlagStructuralIndex);
    return bytes;
}

} // namespace dbf
