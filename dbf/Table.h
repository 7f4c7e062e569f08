#pragma once
// One open table: a work area. Sources are opened shared and read-only; only an append
// reopens the file for update (the program appends to its own copies alone).
// Deleted records are hidden from navigation, queries and copies.
#include "dbf/BinaryFile.h"
#include "dbf/Expression.h"
#include "dbf/Host.h"
#include "dbf/MemoFile.h"
#include "dbf/RecordBlocks.h"
#include "dbf/TableHeader.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dbf {

// Receives 0 to 100, each value once and in order, while a copy runs.
using ProgressHook = std::function<void(int percent)>;

class Table {
public:
    explicit Table(const Host& host) : host_(host) {}
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Paths are 8-bit ANSI text. Throws TableError with the engine's texts.
    void open(const std::string& ansiPath);
    void close();
    bool isOpen() const { return file_.isOpen(); }

    // Only records for which the expression is true stay visible; an empty text shows all.
    void setQuery(const std::string& ansiExpression);
    void setProgressHook(ProgressHook hook);

    void goTop();
    void skip();
    bool eof() const { return !current_.has_value(); }
    // The field as ANSI text without trailing blanks; empty when no record is visible.
    std::string fieldText(std::string_view name);

    // Writes the visible records to a new table of the same structure (and a new memo
    // file when the table has memo fields); returns the number of records written.
    std::uint32_t copyTo(const std::string& ansiPath);

    void appendBlank();
    void setText(std::string_view name, const std::string& ansiValue);
    void setInteger(std::string_view name, std::int64_t value);
    void post();

    const TableHeader& header() const { return header_; }
    // The records the header promises; a file that holds fewer does not open.
    std::uint32_t recordCount() const { return recordCount_; }

private:
    void requireOpen() const;
    const FieldDescriptor& fieldNamed(std::string_view name) const;
    bool visible(const char* record) const;
    void seekVisible(std::uint32_t from);
    void copyMemos(char* record, MemoWriter& writer);

    const Host& host_;
    std::string ansiPath_;
    BinaryFile file_;
    TableHeader header_;
    std::uint32_t recordCount_ = 0;
    std::optional<RecordBlocks> blocks_; // the scan buffer, kept between navigations
    MemoReader memo_;
    std::optional<Expression> query_;
    ProgressHook progress_;

    std::optional<std::uint32_t> current_; // index of the current record; empty at the end
    std::string record_;                   // its bytes
    bool appending_ = false;
};

} // namespace dbf
