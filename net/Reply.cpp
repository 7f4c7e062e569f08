#include "net/Reply.h"

#include "text/Error.h"

#include <cctype>

namespace qx::net {

namespace {

bool StartsWithCode(const std::string& line) {
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) && std::isdigit(static_cast<unsigned char>(line[2]));
}

// "ddd" alone or "ddd" followed by `mark`.
bool IsCodeLine(const std::string& line, const std::string& code, char mark) {
    return line.compare(0, 3, code) == 0 && (line.size() == 3 || line[3] == mark);
}

} // namespace

std::string Reply::text() const {
    const std::string own = std::to_string(code);
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i > 0)
            text += '\n';
        if (IsCodeLine(line, own, ' ') || IsCodeLine(line, own, '-'))
            text.append(line, std::min<std::size_t>(4, line.size()), std::string::npos);
        else
            text += line;
    }
    return text;
}

bool ReplyParser::addLine(const std::string& line) {
    if (reply_.lines.empty()) {
        if (!StartsWithCode(line) || (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
            throw Error("Invalid reply from the server (no reply code): " + line.substr(0, 80));
        reply_.code = std::stoi(line.substr(0, 3));
        reply_.lines.push_back(line);
        return line.size() == 3 || line[3] == ' ';
    }
    if (reply_.lines.size() >= kMaxLines)
        throw Error("Reply too long.");
    reply_.lines.push_back(line);
    return IsCodeLine(line, line.substr(0, 3), ' ') && line.compare(0, 3, reply_.lines.front(), 0, 3) == 0;
}

Reply ReplyParser::take() {
    Reply done = std::move(reply_);
    reply_ = Reply();
    return done;
}

} // namespace qx::net
