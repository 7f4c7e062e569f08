#pragma once
// One reply of a line protocol in the form of RFC 959 and RFC 5321: a three-digit code,
// one line "ddd text" or several lines from "ddd-text" to "ddd text".
#include <string>
#include <vector>

namespace qx::net {

struct Reply {
    int code = 0;
    std::vector<std::string> lines; // as received, without line ends

    // The reply's text as the errors carry it: each line without its leading "ddd-" or
    // "ddd ", the lines joined by "\n".
    std::string text() const;
    bool is(int wanted) const { return code == wanted; }
    bool isPositive() const { return code >= 100 && code < 400; }
};

// Collects the lines of one reply. Pure, so that tables of lines and the fuzzer drive it.
class ReplyParser {
public:
    static constexpr std::size_t kMaxLineLength = 8192;
    static constexpr std::size_t kMaxLines = 1000;

    // Takes the next line; true when the reply is complete. Throws qx::Error for a first line
    // without a reply code or a reply of more than kMaxLines lines.
    bool addLine(const std::string& line);
    // The complete reply; the parser is empty again afterwards.
    Reply take();

private:
    Reply reply_;
};

} // namespace qx::net
