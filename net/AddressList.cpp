#include "net/AddressList.h"

namespace qx::net {

namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

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
    return {Unquote(Trim(item.substr(0, open))), Trim(item.substr(open + 1, close - open - 1))};
}

} // namespace

std::vector<MailAddress> ParseAddressList(const std::string& text) {
    std::vector<MailAddress> list;
    std::string item;
    bool inQuotes = false;
    bool inAngles = false;
    auto flush = [&] {
        auto trimmed = Trim(item);
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
