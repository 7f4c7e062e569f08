#include "dbf/Expression.h"
#include "dbf/TableError.h"

#include <algorithm>
#include <cctype>

namespace dbf {
namespace {

enum class ValueType { Logical, Text, Date };

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Blank-padded comparison of unsigned bytes: the machine collation.
int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool BeginsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

struct Failure {
    std::string detail;
};

} // namespace

// Recursive descent over the text; every node is typed as it is built, so a
// comparison of unlike values or a non-logical whole fails at compile time.
class ExpressionParser {
public:
    ExpressionParser(const std::string& text, const TableHeader& header, const Host& host, Expression& out)
        : text_(text), header_(header), host_(host), out_(out) {}

    void run() {
        auto [root, type] = orExpression();
        skipBlanks();
        if (pos_ != text_.size())
            throw Failure{"unexpected text at " + std::to_string(pos_)};
        if (type != ValueType::Logical)
            throw Failure{"not a logical expression"};
        out_.root_ = root;
    }

private:
    using Typed = std::pair<int, ValueType>;

    Typed orExpression() {
        Typed left = andExpression();
        while (acceptWord(".or.")) {
            Typed right = andExpression();
            left = {combine(Expression::Kind::Or, left, right), ValueType::Logical};
        }
        return left;
    }

    Typed andExpression() {
        Typed left = comparison();
        while (acceptWord(".and.")) {
            Typed right = comparison();
            left = {combine(Expression::Kind::And, left, right), ValueType::Logical};
        }
        return left;
    }

    int combine(Expression::Kind kind, Typed left, Typed right) {
        if (left.second != ValueType::Logical || right.second != ValueType::Logical)
            throw Failure{".and./.or. need logical operands"};
        return add({kind, left.first, right.first});
    }

    Typed comparison() {
        Typed left = term();
        Expression::Kind kind;
        if (accept(">="))
            kind = Expression::Kind::NotLess;
        else if (accept("<="))
            kind = Expression::Kind::NotGreater;
        else if (accept("="))
            kind = Expression::Kind::Equal;
        else
            return left;
        Typed right = term();
        if (left.second != ValueType::Text || right.second != ValueType::Text)
            throw Failure{"comparison needs two texts"};
        return {add({kind, left.first, right.first}), ValueType::Logical};
    }

    Typed term() {
        struct Nesting {
            int& depth;
            explicit Nesting(int& d) : depth(d) {
                if (++depth > kMaxDepth)
                    throw Failure{"expression nested too deeply"};
            }
            ~Nesting() { --depth; }
        } nesting(depth_);
        skipBlanks();
        if (accept("(")) {
            Typed inner = orExpression();
            expect(")");
            return inner;
        }
        if (pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\''))
            return literal();
        const std::string name = identifier();
        skipBlanks();
        if (accept("("))
            return call(name);
        return field(name);
    }

    Typed literal() {
        const char quote = text_[pos_++];
        const std::size_t end = text_.find(quote, pos_);
        if (end == std::string::npos)
            throw Failure{"unterminated literal"};
        out_.literals_.push_back(host_.ansiToOem(std::string_view(text_).substr(pos_, end - pos_)));
        pos_ = end + 1;
        Expression::Node node{Expression::Kind::Literal};
        node.offset = static_cast<std::uint32_t>(out_.literals_.size() - 1);
        return {add(node), ValueType::Text};
    }

    Typed call(const std::string& name) {
        if (EqualsIgnoringCase(name, "dtos")) {
            Typed date = term();
            expect(")");
            if (date.second != ValueType::Date)
                throw Failure{"dtos() needs a date field"};
            return {date.first, ValueType::Text}; // a date field's bytes are already yyyymmdd
        }
        if (EqualsIgnoringCase(name, "left")) {
            Typed source = orExpression();
            expect(",");
            const std::uint32_t count = number();
            expect(")");
            if (source.second != ValueType::Text)
                throw Failure{"LEFT() needs a text"};
            Expression::Node node{Expression::Kind::Left, source.first};
            node.length = count;
            return {add(node), ValueType::Text};
        }
        throw Failure{"unknown function " + name};
    }

    Typed field(const std::string& name) {
        const int index = header_.findField(name);
        if (index < 0)
            throw Failure{"unknown field " + name};
        const FieldDescriptor& f = header_.fields[index];
        Expression::Node node{f.type == 'L' ? Expression::Kind::LogicalField : Expression::Kind::FieldText};
        node.offset = f.offset;
        node.length = f.length;
        switch (f.type) {
        case 'L':
            return {add(node), ValueType::Logical};
        case 'D':
            return {add(node), ValueType::Date};
        case 'C':
            return {add(node), ValueType::Text};
        default:
            throw Failure{"field " + name + " is of a type the query cannot use"};
        }
    }

    std::string identifier() {
        skipBlanks();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        if (pos_ == start)
            throw Failure{"name expected at " + std::to_string(start)};
        return text_.substr(start, pos_ - start);
    }

    std::uint32_t number() {
        skipBlanks();
        std::uint32_t value = 0;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) && pos_ - start < 6)
            value = value * 10 + static_cast<std::uint32_t>(text_[pos_++] - '0');
        if (pos_ == start)
            throw Failure{"number expected at " + std::to_string(start)};
        return value;
    }

    void skipBlanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }

    bool accept(std::string_view token) {
        skipBlanks();
        if (text_.compare(pos_, token.size(), token) != 0)
            return false;
        pos_ += token.size();
        return true;
    }

    bool acceptWord(std::string_view word) {
        skipBlanks();
        if (!EqualsIgnoringCase(std::string_view(text_).substr(pos_, word.size()), word))
            return false;
        pos_ += word.size();
        return true;
    }

    void expect(std::string_view token) {
        if (!accept(token))
            throw Failure{"'" + std::string(token) + "' expected at " + std::to_string(pos_)};
    }

    int add(Expression::Node node) {
        if (out_.nodes_.size() > kMaxNodes)
            throw Failure{"expression too long"};
        out_.nodes_.push_back(node);
        return static_cast<int>(out_.nodes_.size() - 1);
    }

    // Bounds the recursion of evaluation as well as the node array.
    static constexpr std::size_t kMaxNodes = 4096;
    static constexpr int kMaxDepth = 200;

    const std::string& text_;
    const TableHeader& header_;
    const Host& host_;
    Expression& out_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

Expression Expression::Compile(const std::string& ansiText, const TableHeader& header, const Host& host) {
    Expression expression;
    try {
        ExpressionParser(ansiText, header, host, expression).run();
    } catch (const Failure& failure) {
        throw InvalidQueryError(ansiText, failure.detail);
    }
    return expression;
}

bool Expression::logical(int index, const char* record) const {
    const Node& node = nodes_[index];
    switch (node.kind) {
    case Kind::Or:
        return logical(node.left, record) || logical(node.right, record);
    case Kind::And:
        return logical(node.left, record) && logical(node.right, record);
    case Kind::Equal:
        return BeginsWith(text(node.left, record), text(node.right, record));
    case Kind::NotLess: {
        const std::string_view a = text(node.left, record), b = text(node.right, record);
        return BeginsWith(a, b) || CompareText(a, b) > 0;
    }
    case Kind::NotGreater: {
        const std::string_view a = text(node.left, record), b = text(node.right, record);
        return BeginsWith(a, b) || CompareText(a, b) < 0;
    }
    case Kind::LogicalField: {
        const char c = record[node.offset];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
    default:
        return false;
    }
}

std::string_view Expression::text(int index, const char* record) const {
    const Node& node = nodes_[index];
    switch (node.kind) {
    case Kind::FieldText:
        return std::string_view(record + node.offset, node.length);
    case Kind::Literal:
        return literals_[node.offset];
    case Kind::Left:
        return text(node.left, record).substr(0, node.length);
    default:
        return {};
    }
}

} // namespace dbf
