#include "text/Utf8.h"

namespace qx {

namespace {

// Length of the sequence a lead byte opens, 0 when it opens none.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

std::vector<CodePoint> DecodeUtf8(const std::string& text) {
    std::vector<CodePoint> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = SequenceLength(lead);
        bool valid = length > 0 && i + length <= text.size();
        char32_t value = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
        if (valid && ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
                      (length == 4 && (value < 0x10000 || value > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out.push_back({lead, true});
            ++i;
            continue;
        }
        out.push_back({value, false});
        i += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

std::string EncodeUtf8(const std::vector<CodePoint>& codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (const CodePoint& cp : codePoints) {
        if (cp.invalidByte)
            out += static_cast<char>(cp.value);
        else
            AppendUtf8(out, cp.value);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (const CodePoint& cp : DecodeUtf8(text)) {
        const char32_t value = cp.invalidByte ? 0xFFFD : cp.value;
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t value = text[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            value = 0xFFFD;
        }
        AppendUtf8(out, value);
    }
    return out;
}

} // namespace qx
