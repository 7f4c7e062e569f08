#include "net/FtpListing.h"

#include "text/TextHelpers.h"

namespace qx::net {

namespace {

FtpEntryType TypeOf(const std::string& value) {
    const std::string type = AsciiLowerCase(value);
    if (type == "dir" || type == "cdir" || type == "pdir")
        return FtpEntryType::Directory;
    if (type.rfind("os.", 0) == 0 && type.find('=') != std::string::npos)
        return FtpEntryType::Other;
    return FtpEntryType::File;
}

} // namespace

std::string FtpListEntry::fact(const std::string& name) const {
    const std::string wanted = AsciiLowerCase(name);
    for (const auto& [key, value] : facts)
        if (AsciiLowerCase(key) == wanted)
            return value;
    return {};
}

std::optional<FtpListEntry> ParseMlsdLine(const std::string& line) {
    std::size_t blank = line.find(' ');
    if (blank == std::string::npos || blank + 1 == line.size())
        return std::nullopt;
    FtpListEntry entry;
    entry.name = line.substr(blank + 1);
    const std::string facts = line.substr(0, blank);
    std::size_t start = 0;
    while (start < facts.size()) {
        std::size_t end = facts.find(';', start);
        if (end == std::string::npos)
            end = facts.size();
        const std::string fact = facts.substr(start, end - start);
        std::size_t equals = fact.find('=');
        if (equals != std::string::npos && equals > 0)
            entry.facts.emplace_back(fact.substr(0, equals), fact.substr(equals + 1));
        start = end + 1;
    }
    entry.type = TypeOf(entry.fact("type"));
    return entry;
}

std::vector<FtpListEntry> ParseMlsdListing(const std::string& text) {
    std::vector<FtpListEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (auto entry = ParseMlsdLine(line))
            entries.push_back(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

} // namespace qx::net
