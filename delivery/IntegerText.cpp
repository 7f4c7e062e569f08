#include "delivery/IntegerText.h"

#include "text/Error.h"
#include "text/TextHelpers.h"

namespace qx {

std::int32_t IntegerFromText(const std::string& text) {
    auto fail = [&]() -> std::int32_t {
        throw Error("'" + text + "' is not a valid integer value", ErrorKind::ConvertError);
    };
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return fail();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0 || digit >= base)
            return fail();
        value = value * base + digit;
        // Hexadecimal text may spell a negative number in 32 bits ("$FFFFFFFF" is -1).
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return fail();
    }
    if (base == 16)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return fail();
    return static_cast<std::int32_t>(value);
}

} // namespace qx
