#pragma once
// UTF-8 decoding and encoding for the routines that count characters.
// A byte that does not start a valid sequence decodes as itself, marked invalid,
// so that texts round-trip unchanged.
#include <cstdint>
#include <string>
#include <vector>

namespace qx {

struct CodePoint {
    char32_t value{};
    bool invalidByte = false; // `value` is a lone byte that was not valid UTF-8
};

std::vector<CodePoint> DecodeUtf8(const std::string& text);
std::string EncodeUtf8(const std::vector<CodePoint>& codePoints);
void AppendUtf8(std::string& out, char32_t value);

// The text as UTF-16 code units (invalid bytes become U+FFFD).
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

} // namespace qx
