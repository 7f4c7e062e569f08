#pragma once
// The header of a dBASE III / FoxPro 2.x / Visual FoxPro table: its version, record
// count and lengths, and the field descriptors with the offset of each field in a record.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbf {

enum class MemoKind { None, Dbt, Fpt };

struct FieldDescriptor {
    std::string name;       // as stored (upper case in practice)
    char type{};            // C N F D L M I B Y T G P V Q W or '0' (_NullFlags)
    std::uint32_t offset{}; // from the start of the record, the deleted flag being byte 0
    std::uint8_t length{};
    std::uint8_t decimals{};
    std::uint8_t flags{};
    int nullBit = -1;   // bit in _NullFlags that marks the value null
    int lengthBit = -1; // bit in _NullFlags that marks a varchar shorter than its width

    bool isMemo() const { return type == 'M' || type == 'G' || type == 'P'; }
};

struct TableHeader {
    static constexpr std::size_t kPrefixSize = 32;

    std::uint8_t version{};
    std::uint32_t promisedRecords{};
    std::uint16_t headerLength{};
    std::uint16_t recordLength{};
    std::vector<FieldDescriptor> fields;
    int nullFlagsField = -1; // index of the _NullFlags system field, -1 when absent
    std::string bytes;       // the header as stored, descriptors and backlink included

    bool isVisualFoxPro() const { return version == 0x30 || version == 0x31 || version == 0x32; }
    MemoKind memoKind() const;
    bool hasMemoFields() const;
    // Index of a field by name, letter case ignored; -1 when the table lacks it.
    int findField(std::string_view name) const;
};

// Header length and record length from the fixed prefix; throws TableError (detail only)
// when the prefix is not that of a supported table.
void ParsePrefix(std::string_view prefix, TableHeader& header);
// Field descriptors from the whole header (headerLength bytes); throws TableError when a
// descriptor is malformed or the fields do not fit the record length.
void ParseDescriptors(std::string_view bytes, TableHeader& header);

// A blank record as an append creates it: blanks for text-like fields, zeros for binary ones.
std::string BlankRecord(const TableHeader& header);

// The header as a copy writes it: the record count and the update date replaced, the
// structural-index flag cleared (the .CDX is not copied).
std::string HeaderForCopy(const TableHeader& header, std::uint32_t recordCount, int year, int month, int day);

} // namespace dbf
