#include "run/TableObject.h"
#include "dbf/TableError.h"
#include "platform/CodePage.h"
#include "run/EngineHost.h"
#include "text/Error.h"

namespace qx {

TableObject::TableObject() : table_(EngineHost::instance()) {}

TableObject::~TableObject() {
    table_.close();
}

template <typename Action> auto TableObject::guarded(Action&& action) -> decltype(action()) {
    try {
        return action();
    } catch (const dbf::TableError& error) {
        throw Error(platform::FromAnsi(AnsiText(error.what())), ErrorKind::DbfError);
    }
}

void TableObject::open(const std::string& folder, const std::string& fileName) {
    const std::string path = platform::ToAnsi(folder + fileName).bytes;
    guarded([&] { table_.open(path); });
}

void TableObject::query(const std::string& expression) {
    const std::string ansi = platform::ToAnsi(expression).bytes;
    guarded([&] {
        if (!table_.isOpen())
            throw dbf::ClosedTableError();
        table_.setQuery(ansi);
    });
}

void TableObject::goTop() {
    guarded([&] { table_.goTop(); });
}

bool TableObject::eof() const {
    return table_.eof();
}

AnsiText TableObject::fieldText(const std::string& name) {
    return guarded([&] { return AnsiText(table_.fieldText(name)); });
}

void TableObject::copyFile(const std::string& path) {
    const std::string ansi = platform::ToAnsi(path).bytes;
    guarded([&] { table_.copyTo(ansi); });
}

void TableObject::append() {
    guarded([&] { table_.appendBlank(); });
}

void TableObject::setText(const std::string& name, const AnsiText& value) {
    guarded([&] { table_.setText(name, value.bytes); });
}

void TableObject::setInteger(const std::string& name, std::int64_t value) {
    guarded([&] { table_.setInteger(name, value); });
}

void TableObject::post() {
    guarded([&] { table_.post(); });
}

void TableObject::setProgressHook(std::function<void(int)> hook) {
    guarded([&] { table_.setProgressHook(std::move(hook)); });
}

void TableObject::close() {
    table_.close();
}

bool TableObject::isOpen() const {
    return table_.isOpen();
}

} // namespace qx
