#pragma once
// A failure of the table engine. what() is the text the operator sees; detail() says
// more for tools and tests (which check of a damaged header failed, for instance).
#include <stdexcept>
#include <string>

namespace dbf {

class TableError : public std::runtime_error {
public:
    explicit TableError(const std::string& text, std::string detail = {})
        : std::runtime_error(text), detail_(std::move(detail)) {}
    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

// The engine's own texts, as the program shows them.
inline TableError MissingFileError(const std::string& path) {
    return TableError("Table, file or directory does not exist.\rFile: " + path);
}
inline TableError OpenTableError(const std::string& path, std::string detail) {
    return TableError("Unable to open table: " + path, std::move(detail));
}
inline TableError InvalidQueryError(const std::string& expression, std::string detail = {}) {
    return TableError("Invalid Query Expression\r\r" + expression, std::move(detail));
}
inline TableError CutShortError(const std::string& path) {
    return TableError("Table is damaged or was changed while it was read.\rFile: " + path);
}
inline TableError ClosedTableError() {
    return TableError("Cannot perform this operation on a closed table");
}

} // namespace dbf
