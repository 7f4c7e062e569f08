#include "net/MimeText.h"

#include <cstdint>

namespace qx::net {

namespace {

// Every encoded word is UTF-8: the charset the program picks on a Slovenian workstation.
constexpr std::string_view kHeaderCharset = "UTF-8";
// RFC 2047 limits an encoded word to 75 characters; "=?UTF-8?B?" and "?=" leave 63,
// that is 15 groups of Base64, 45 bytes of text.
constexpr std::size_t kEncodedWordBytes = 45;
constexpr std::size_t kFoldAt = 78;
constexpr std::size_t kQuotedPrintableLine = 70;

bool IsPrintableAscii(unsigned char c) {
    return c >= 32 && c <= 126;
}

bool AllPrintableAscii(std::string_view text) {
    for (unsigned char c : text)
        if (!IsPrintableAscii(c))
            return false;
    return true;
}

// Characters a phrase cannot hold outside a quoted string ("." only in the obsolete syntax).
bool HasPhraseSpecial(std::string_view word) {
    return word.find_first_of("()<>[]:;@\\,.\"") != std::string_view::npos;
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    for (;;) {
        auto blank = text.find(' ', start);
        words.push_back(text.substr(start, blank - start));
        if (blank == std::string::npos)
            return words;
        start = blank + 1;
    }
}

// Base64 encoded words of the bytes, split only between UTF-8 characters.
std::string EncodedWords(std::string_view bytes) {
    std::string out;
    while (!bytes.empty()) {
        std::size_t take = std::min(bytes.size(), kEncodedWordBytes);
        while (take < bytes.size() && take > 0 && (static_cast<unsigned char>(bytes[take]) & 0xC0) == 0x80)
            --take;
        if (take == 0)
            take = std::min(bytes.size(), kEncodedWordBytes);
        if (!out.empty())
            out += ' ';
        out += "=?";
        out += kHeaderCharset;
        out += "?B?";
        out += Base64Encode(bytes.substr(0, take));
        out += "?=";
        bytes.remove_prefix(take);
    }
    return out;
}

// Joins the words with blanks; each run of words for which `needsEncoding` holds (blank
// words between two of them included) becomes encoded words.
template <typename Predicate> std::string EncodeWordRuns(const std::string& text, Predicate needsEncoding) {
    auto words = SplitAtBlanks(text);
    std::string out;
    std::size_t i = 0;
    while (i < words.size()) {
        if (i > 0)
            out += ' ';
        if (!needsEncoding(words[i])) {
            out += words[i++];
            continue;
        }
        std::string run = words[i];
        std::size_t next = i + 1;
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            if (words[j].empty())
                continue;
            if (!needsEncoding(words[j]))
                break;
            for (std::size_t k = next; k <= j; ++k)
                run += ' ' + words[k];
            next = j + 1;
        }
        out += EncodedWords(run);
        i = next;
    }
    return out;
}

} // namespace

// Our own encoder: OpenSSL is not linked on every platform (Windows loads it only for TLS).
std::string Base64Encode(std::string_view bytes) {
    static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(4 * ((bytes.size() + 2) / 3));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string EncodeQuotedPrintable(const std::vector<std::string>& lines) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (const auto& line : lines) {
        std::size_t column = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            auto c = static_cast<unsigned char>(line[i]);
            bool last = i + 1 == line.size();
            bool literal =
                (c > 32 && c <= 126 && c != '=' && !(c == '.' && column == 0)) || ((c == ' ' || c == '\t') && !last);
            if (literal) {
                out += static_cast<char>(c);
                column += 1;
            } else {
                out += '=';
                out += kHex[c >> 4];
                out += kHex[c & 15];
                column += 3;
            }
            if (column >= kQuotedPrintableLine) {
                out += "=\r\n";
                column = 0;
            }
        }
        out += "\r\n";
    }
    return out;
}

std::string EncodeHeaderText(const std::string& text) {
    // A plain word that looks like an encoded word is encoded too, or a reader would decode it.
    return EncodeWordRuns(
        text, [](const std::string& word) { return !AllPrintableAscii(word) || word.find("=?") != std::string::npos; });
}

std::string EncodeDisplayName(const std::string& name) {
    if (AllPrintableAscii(name)) {
        std::string quoted = "\"";
        for (char c : name) {
            if (c == '\\' || c == '"')
                quoted += '\\';
            quoted += c;
        }
        return quoted + "\"";
    }
    return EncodeWordRuns(name,
                          [](const std::string& word) { return !AllPrintableAscii(word) || HasPhraseSpecial(word); });
}

std::string FoldHeaderLine(const std::string& line) {
    if (line.size() <= kFoldAt)
        return line;
    // Pieces start at each blank; the first blank (after "Name:") never folds.
    auto firstBlank = line.find(' ');
    if (firstBlank == std::string::npos)
        return line;
    std::string out;
    std::size_t lineStart = 0;
    std::size_t pieceStart = 0;
    std::size_t searchFrom = firstBlank + 1;
    while (pieceStart < line.size()) {
        auto blank = line.find(' ', searchFrom);
        std::size_t pieceEnd = blank == std::string::npos ? line.size() : blank;
        bool lineHasContent = pieceStart > firstBlank && out.size() > lineStart;
        if (lineHasContent && (out.size() - lineStart) + (pieceEnd - pieceStart) > kFoldAt) {
            out += "\r\n";
            lineStart = out.size();
        }
        out.append(line, pieceStart, pieceEnd - pieceStart);
        pieceStart = pieceEnd;
        searchFrom = pieceEnd + 1;
    }
    return out;
}

std::string DotStuff(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

} // namespace qx::net
