#pragma once
// Decimal text to a 32-bit integer as the platform's conversion reads it: blanks before the
// number, a sign, decimal digits or "$"/"0x" hexadecimal; nothing after the digits.
#include <cstdint>
#include <string>

namespace qx {

// Throws qx::Error("'<text>' is not a valid integer value") (kind "EConvertError").
std::int32_t IntegerFromText(const std::string& text);

} // namespace qx
