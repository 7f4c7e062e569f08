#pragma once
// A query expression of the subset the program uses, compiled once against a table's
// fields and evaluated on raw record bytes:
//   field names; text literals in double (or single) quotes; dtos(date field);
//   LEFT(text, n); "=" (exact off: the left text begins with the right one), ">=", "<=";
//   .and. / .or. in any letter case; parentheses.
// Literals are translated to the stored (OEM) code page once, so no record is translated.
#include "dbf/Host.h"
#include "dbf/TableHeader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbf {

class Expression {
public:
    // Throws "Invalid Query Expression" + CR + CR + text when the text is malformed or not logical.
    static Expression Compile(const std::string& ansiText, const TableHeader& header, const Host& host);

    bool matches(const char* record) const { return logical(root_, record); }

private:
    enum class Kind : std::uint8_t { Or, And, Equal, NotLess, NotGreater, LogicalField, FieldText, Literal, Left };
    struct Node {
        Kind kind{};
        int left = -1;
        int right = -1;
        std::uint32_t offset = 0; // field offset, or literal index
        std::uint32_t length = 0; // field width, or LEFT's count
    };
    friend class ExpressionParser;

    bool logical(int index, const char* record) const;
    std::string_view text(int index, const char* record) const;

    std::vector<Node> nodes_;
    std::vector<std::string> literals_;
    int root_ = -1;
};

} // namespace dbf
