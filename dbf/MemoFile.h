#pragma once
// Memo files beside a table: .FPT (FoxPro: big-endian header, typed blocks) and .DBT
// (dBASE III: 512-byte blocks, text ended by 0x1A). A record holds a block number, as
// ten ASCII digits or, in Visual FoxPro, as a 4-byte little-endian integer.
#include "dbf/BinaryFile.h"
#include "dbf/TableHeader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dbf {

struct MemoValue {
    std::uint32_t type = 1; // FoxPro block type: 1 text, 0 picture
    std::string data;
};

// The memo file's path for a table path: the extension replaced, its letter case following the table's.
std::string MemoPathFor(const std::string& tablePath, MemoKind kind);
// The memo file as its folder spells it: FoxPro on Windows writes calls.dbf beside calls.FPT,
// and a file system that tells letter cases apart must still find it. `path` when none matches.
std::string ExistingMemoPath(const std::string& path);

// Block number held in a memo field; 0 when the field points nowhere.
std::uint32_t MemoBlockOf(std::string_view fieldBytes);
void StoreMemoBlock(char* fieldBytes, std::uint8_t width, std::uint32_t block);

class MemoReader {
public:
    // Throws TableError when the file is missing or its header is unusable.
    void open(const std::string& path, MemoKind kind);
    void close() { file_.close(); }
    bool isOpen() { return file_.isOpen(); }
    // The memo at a block; throws TableError when it runs past the file.
    MemoValue read(std::uint32_t block);

private:
    BinaryFile file_;
    MemoKind kind_ = MemoKind::None;
    std::uint32_t blockSize_ = 0;
    std::uint64_t size_ = 0;
};

class MemoWriter {
public:
    static constexpr std::uint16_t kFptBlockSize = 64;

    void create(const std::string& path, MemoKind kind);
    // Appends a memo and returns its block number.
    std::uint32_t write(const MemoValue& value);
    // Stores the next free block in the header and closes the file.
    void finish();

private:
    BinaryFile file_;
    MemoKind kind_ = MemoKind::None;
    std::uint32_t blockSize_ = 0;
    std::uint32_t nextBlock_ = 0;
};

} // namespace dbf
