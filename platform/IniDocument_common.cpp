#include "platform/CodePage.h"
#include "platform/IniDocument.h"
#include "text/TextHelpers.h"

#include <climits>

namespace qx::platform {

namespace {

constexpr std::size_t kMaxValueLength = 2047;

bool SameName(const std::string& ansiA, const std::string& ansiB) {
    return SameTextIgnoringCase(FromAnsi(AnsiText(ansiA)), FromAnsi(AnsiText(ansiB)));
}

// The name inside "[...]" when the line is a section header.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] != '[')
        return std::nullopt;
    const std::size_t close = trimmed.find(']');
    return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

bool IsComment(const std::string& line) {
    const std::string trimmed = Trim(line);
    return !trimmed.empty() && trimmed[0] == ';';
}

std::optional<std::string> KeyName(const std::string& line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || IsComment(line))
        return std::nullopt;
    return Trim(line.substr(0, equals));
}

} // namespace

IniDocument::IniDocument(const std::string& bytes) {
    std::size_t start = 0;
    bool endingSeen = false;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        Line line;
        if (lf == std::string::npos) {
            line.text = bytes.substr(start);
            start = bytes.size();
        } else {
            const bool cr = lf > start && bytes[lf - 1] == '\r';
            line.text = bytes.substr(start, lf - start - (cr ? 1 : 0));
            line.ending = cr ? "\r\n" : "\n";
            if (!endingSeen)
                newline_ = line.ending; // new lines follow the file's own style
            endingSeen = true;
            start = lf + 1;
        }
        lines_.push_back(std::move(line));
    }
}

std::optional<std::size_t> IniDocument::findSection(const std::string& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (name && SameName(*name, section))
            return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i].text))
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::findKey(std::size_t header, const std::string& key) const {
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto name = KeyName(lines_[i].text);
        if (name && SameName(*name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::rawValue(const std::string& section, const std::string& key) const {
    const auto header = findSection(section);
    if (!header)
        return std::nullopt;
    const auto at = findKey(*header, key);
    if (!at)
        return std::nullopt;
    const std::string& text = lines_[*at].text;
    return text.substr(text.find('=') + 1);
}

void IniDocument::set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string entry = key + "=" + value;
    const auto header = findSection(section);
    if (!header) {
        if (!lines_.empty() && lines_.back().ending.empty())
            lines_.back().ending = newline_;
        lines_.push_back({"[" + section + "]", newline_});
        lines_.push_back({entry, newline_});
        return;
    }
    if (const auto at = findKey(*header, key)) {
        lines_[*at].text = entry;
        return;
    }
    // After the section's last line that is not blank, so blank separator lines stay between sections.
    std::size_t insertAt = sectionEnd(*header);
    while (insertAt > *header + 1 && Trim(lines_[insertAt - 1].text).empty())
        --insertAt;
    if (lines_[insertAt - 1].ending.empty())
        lines_[insertAt - 1].ending = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{entry, newline_});
}

std::string IniDocument::bytes() const {
    std::string out;
    for (const Line& line : lines_)
        out += line.text + line.ending;
    return out;
}

std::string CleanIniValue(const std::string& raw) {
    std::string value = Trim(raw);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValueLength)
        value.resize(kMaxValueLength);
    return value;
}

std::optional<int> ParseIniInteger(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    int base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= text.size())
        return std::nullopt;
    long long value = 0;
    for (; at < text.size(); ++at) {
        const int digit = HexDigitValue(text[at]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        // Hexadecimal runs to 32 bits and reads as a signed word, as "0xFFFFFFFF" gives -1.
        if (value > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1))
            return std::nullopt;
    }
    if (base == 16 && value > INT_MAX)
        value -= 0x100000000LL;
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace qx::platform
