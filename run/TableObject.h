#pragma once
// A table object of the main window (Table1, Table2): one work area of the table engine
// while open. Paths and expressions arrive as UTF-8 and reach the engine as 8-bit ANSI;
// field values pass as ANSI text (the engine translates to and from the stored OEM bytes).
// Every engine failure becomes an Error carrying the engine's text.
#include "dbf/Table.h"
#include "text/EightBitText.h"

#include <functional>
#include <string>

namespace qx {

class TableObject {
public:
    TableObject();
    ~TableObject();
    TableObject(const TableObject&) = delete;
    TableObject& operator=(const TableObject&) = delete;

    // `folder` ends in the path separator; the table is opened shared and read-only.
    void open(const std::string& folder, const std::string& fileName);
    void query(const std::string& expression);
    void goTop();
    bool eof() const;
    AnsiText fieldText(const std::string& name);
    // A new table at `path` holding the visible records; memo fields go into a new memo file beside it.
    void copyFile(const std::string& path);
    void append();
    void setText(const std::string& name, const AnsiText& value);
    void setInteger(const std::string& name, std::int64_t value);
    void post();
    // Each progress value 0..100 of a copy reaches the hook; an empty hook ends the reports.
    void setProgressHook(std::function<void(int)> hook);
    void close();
    bool isOpen() const;

private:
    template <typename Action> auto guarded(Action&& action) -> decltype(action());

    dbf::Table table_;
};

} // namespace qx
