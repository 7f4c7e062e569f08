#include "text/TextHelpers.h"
#include "text/Utf8.h"

#include <algorithm>

namespace qx {

namespace {

bool IsSeparator(const CodePoint& cp, const std::vector<CodePoint>& separators) {
    return std::any_of(separators.begin(), separators.end(),
                       [&](const CodePoint& s) { return s.value == cp.value && s.invalidByte == cp.invalidByte; });
}

} // namespace

std::uint8_t TokenCount(const std::string& text, const std::string& separators) {
    if (text.empty())
        return 0;
    const std::vector<CodePoint> seps = DecodeUtf8(separators);
    unsigned count = 1;
    for (const CodePoint& cp : DecodeUtf8(text))
        if (IsSeparator(cp, seps))
            ++count;
    return static_cast<std::uint8_t>(count);
}

std::string Token(const std::string& text, const std::string& separators, std::uint8_t n) {
    if (text.empty() || n == 0)
        return {};
    const std::vector<CodePoint> seps = DecodeUtf8(separators);
    std::vector<CodePoint> token;
    unsigned position = 1;
    for (const CodePoint& cp : DecodeUtf8(text)) {
        if (IsSeparator(cp, seps)) {
            if (position == n)
                break;
            ++position;
        } else if (position == n) {
            token.push_back(cp);
        }
    }
    return EncodeUtf8(token);
}

std::string Trim(const std::string& text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

AnsiText TrimBoth(const AnsiText& text) {
    return AnsiText(Trim(text.bytes, " "));
}

AnsiText PadLeft(const AnsiText& text, std::uint16_t width, char fill) {
    if (text.bytes.size() >= width)
        return text;
    return AnsiText(std::string(width - text.bytes.size(), fill) + text.bytes);
}

AnsiText PadRight(const AnsiText& text, std::uint16_t width, char fill) {
    if (text.bytes.size() >= width)
        return text;
    return AnsiText(text.bytes + std::string(width - text.bytes.size(), fill));
}

std::string AsciiLowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string AsciiUpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() &&
           AsciiLowerCase(std::string(text.substr(0, lowerPrefix.size()))) == lowerPrefix;
}

std::string HexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0f];
    }
    return hex;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

std::optional<std::string> BytesOfHex(const std::string& hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigitValue(hex[i]), low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

} // namespace qx
