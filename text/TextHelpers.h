#pragma once
// Free routines on texts shared by the whole program.
// The UTF-8 routines count characters (code points); the 8-bit ones count bytes.
#include "text/EightBitText.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// 1 + the number of separator characters in `text` (8-bit, wraps), 0 for an empty text.
std::uint8_t TokenCount(const std::string& text, const std::string& separators);
// The n-th token counting from 1; empty for n = 0 or past the end.
std::string Token(const std::string& text, const std::string& separators, std::uint8_t n);

// Letter case of the ASCII letters only, for protocol words and keys; other bytes are kept.
std::string AsciiLowerCase(std::string text);
std::string AsciiUpperCase(std::string text);
// Whether `text` begins with `lowerPrefix` (written in lower case), ASCII letter case aside.
bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix);

// The value of a hex digit of either case; -1 for any other character.
int HexDigitValue(char c);
// Bytes as lower-case hex digits, and back (either case); nullopt for anything but pairs of hex digits.
std::string HexOf(const std::string& bytes);
std::optional<std::string> BytesOfHex(const std::string& hex);

// The text without the `blanks` characters at either end (bytes, so any code page's text).
std::string Trim(const std::string& text, std::string_view blanks = " \t");
// Blanks (spaces alone) removed at both ends of an 8-bit text.
AnsiText TrimBoth(const AnsiText& text);
AnsiText PadLeft(const AnsiText& text, std::uint16_t width, char fill);
AnsiText PadRight(const AnsiText& text, std::uint16_t width, char fill);

} // namespace qx
