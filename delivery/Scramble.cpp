#include "delivery/Scramble.h"

#include "text/TextHelpers.h"

#include <vector>

namespace qx {
namespace {

std::uint16_t NextState(std::uint16_t state, std::uint8_t scrambledByte) {
    return static_cast<std::uint16_t>(
        (static_cast<std::uint16_t>(state + scrambledByte) * kScrambleMultiplier + kScrambleAddend) & 0xFFFF);
}

// Invalid UTF-8 sequences become U+FFFD, as a UTF-8 decoder would hand them on.
std::string ValidUtf8(const std::vector<std::uint8_t>& bytes) {
    static const std::string kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        std::size_t length = 0;
        std::uint32_t minimum = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, minimum = 0x80, code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, minimum = 0x800, code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, minimum = 0x10000, code = lead & 0x07;
        }
        std::size_t taken = 1;
        while (length != 0 && taken < length && i + taken < bytes.size() && (bytes[i + taken] & 0xC0) == 0x80) {
            code = (code << 6) | (bytes[i + taken] & 0x3F);
            ++taken;
        }
        const bool valid = length != 0 && taken == length && code >= minimum && code <= 0x10FFFF &&
                           !(code >= 0xD800 && code <= 0xDFFF);
        if (valid)
            out.append(reinterpret_cast<const char*>(&bytes[i]), length);
        else
            out += kReplacement;
        i += taken;
    }
    return out;
}

} // namespace

std::string Descramble(const std::string& scrambled, std::uint16_t seed) {
    std::vector<std::uint8_t> buffer;
    buffer.reserve(scrambled.size() / 2);
    for (std::size_t i = 0; i + 1 < scrambled.size(); i += 2) {
        const int high = HexDigitValue(scrambled[i]);
        const int low = HexDigitValue(scrambled[i + 1]);
        if (high < 0 || low < 0)
            return {};
        buffer.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    std::uint16_t state = seed;
    for (auto& byte : buffer) {
        const std::uint8_t c = byte;
        byte = static_cast<std::uint8_t>(c ^ (state >> 8));
        state = NextState(state, c);
    }
    return ValidUtf8(buffer);
}

std::string Scramble(const std::string& text, std::uint16_t seed) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 2);
    std::uint16_t state = seed;
    for (const char plain : text) {
        const auto c = static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain) ^ (state >> 8));
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
        state = NextState(state, c);
    }
    return out;
}

} // namespace qx
