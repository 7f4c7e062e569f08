#pragma once
// Free routines on texts shared by the whole program.
// The UTF-8 routines count characters (code points); the 8-bit ones count bytes.
#include "text/EightBitText.h"
#include <cstdint>
#include <optional>
#include <string>

namespace qx {

// 1 + the number of separator characters in `text` (8-bit, wraps), 0 for an empty text.
std::uint8_t TokenCount(const std::string& text, const std::string& separators);
// The n-th token counting from 1; empty for n = 0 or past the end.
std::string Token(const std::string& text, const std::string& separators, std::uint8_t n);

// Letter case of the ASCII letters only, for protocol words and keys; other bytes are kept.
std::string AsciiLowerCase(std::string text);
std::string AsciiUpperCase(std::string text);

// Bytes as lower-case hex digits, and back (either case); nullopt for anything but pairs of hex digits.
std::string HexOf(const std::string& bytes);
std::optional<std::string> BytesOfHex(const std::string& hex);

AnsiText TrimBoth(const AnsiText& text);
AnsiText PadLeft(const AnsiText& text, std::uint16_t width, char fill);
AnsiText PadRight(const AnsiText& text, std::uint16_t width, char fill);

} // namespace qx
