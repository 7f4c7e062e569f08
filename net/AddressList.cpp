#include "net/AddressList.h"

#include "text/TextHelpers.h"

namespace qx::net {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// A display name that stands in double quotes loses them and its backslash escapes.
std::string Unquote(const std::string& name) {
    if (name.size() < 2 || name.front() != '"' || name.back() != '"')
        return name;
    std::string out;
    for (std::size_t i = 1; i + 1 < name.size(); ++i) {
        if (name[i] == '\\' && i + 2 < name.size())
            ++i;
        out += name[i];
    }
    return out;
}

MailAddress ParseOne(const std::string& item) {
    auto open = item.rfind('<');
    auto close = open == std::string::npos ? open : item.find('>', open);
    if (close == std::string::npos)
        return {"", item};
    return {Unquote(Trim(item.substr(0, open), kBlanks)), Trim(item.substr(open + 1, close - open - 1), kBlanks)};
}

} // namespace

std::vector<MailAddress> ParseAddressList(const std::string& text) {
    std::vector<MailAddress> list;
    std::string item;
    bool inQuotes = false;
    bool inAngles = false;
    auto flush = [&] {
        auto trimmed = Trim(item, kBlanks);
        if (!trimmed.empty())
            list.push_back(ParseOne(trimmed));
        item.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inQuotes && c == '\\' && i + 1 < text.size()) {
            item += c;
            item += text[++i];
            continue;
        }
        if (c == '"' && !inAngles)
            inQuotes = !inQuotes;
        else if (c == '<' && !inQuotes)
            inAngles = true;
        else if (c == '>' && !inQuotes)
            inAngles = false;
        else if ((c == ',' || c == ';') && !inQuotes && !inAngles) {
            flush();
            continue;
        }
        item += c;
    }
    flush();
    return list;
}

} // namespace qx::net
