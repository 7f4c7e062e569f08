#pragma once
// The scrambled form: the UTF-8 bytes of a text, each XORed with the high byte of a
// 16-bit state, written as two hexadecimal digits per byte. The scrambled byte feeds
// the state. Used for the account descriptors, the transfer code and the archive password.
#include <cstdint>
#include <string>

namespace qx {

// The built-in constants shared by every use in the program and by the service's data.
constexpr std::uint16_t kScrambleSeed = 0x5A3C;
constexpr std::uint16_t kScrambleMultiplier = 0x6D2B;
constexpr std::uint16_t kScrambleAddend = 0x3A95;

// Never fails: malformed input gives an empty text.
std::string Descramble(const std::string& scrambled, std::uint16_t seed);
// The inverse, for qxscramble, tests and the sample service.
std::string Scramble(const std::string& text, std::uint16_t seed);

} // namespace qx
