// The Slovenian Windows code pages through iconv: each code page's 256 bytes are mapped to
// Unicode once, and conversions are table look-ups both ways. Upper-casing uses the
// C.UTF-8 locale's full Unicode case tables.
#include "platform/CodePage.h"
#include "text/Utf8.h"

#include <array>
#include <clocale>
#include <cwctype>
#include <iconv.h>
#include <locale.h>
#include <unordered_map>

namespace qx::platform {

namespace {

class ByteTable {
public:
    explicit ByteTable(const char* codePage) {
        iconv_t cd = iconv_open("UTF-32LE", codePage);
        for (int b = 0; b < 256; ++b) {
            // A byte the code page leaves undefined maps to the code point of the same number, as Windows does.
            char32_t value = static_cast<char32_t>(b);
            if (b >= 0x80 && cd != reinterpret_cast<iconv_t>(-1)) {
                char in = static_cast<char>(b);
                unsigned char out[8] = {};
                char* inPtr = &in;
                char* outPtr = reinterpret_cast<char*>(out);
                std::size_t inLeft = 1, outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && outLeft == 4)
                    value = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
            }
            toUnicode_[b] = value;
            fromUnicode_.emplace(value, static_cast<char>(b));
        }
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }

    std::string encode(const std::string& utf8) const {
        std::string out;
        out.reserve(utf8.size());
        for (const CodePoint& cp : DecodeUtf8(utf8)) {
            const auto found = cp.invalidByte ? fromUnicode_.end() : fromUnicode_.find(cp.value);
            out += found == fromUnicode_.end() ? '?' : found->second;
        }
        return out;
    }

    std::string decode(const std::string& bytes) const {
        std::string out;
        out.reserve(bytes.size() * 2);
        for (char c : bytes)
            AppendUtf8(out, toUnicode_[static_cast<unsigned char>(c)]);
        return out;
    }

private:
    std::array<char32_t, 256> toUnicode_{};
    std::unordered_map<char32_t, char> fromUnicode_;
};

const ByteTable& Ansi() {
    static const ByteTable table("WINDOWS-1250");
    return table;
}

const ByteTable& Oem() {
    static const ByteTable table("CP852");
    return table;
}

locale_t Utf8Locale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
    }();
    return locale;
}

template <typename Map> std::string MapCase(const std::string& utf8, Map map) {
    std::vector<CodePoint> cps = DecodeUtf8(utf8);
    const locale_t locale = Utf8Locale();
    for (CodePoint& cp : cps) {
        if (cp.invalidByte)
            continue;
        if (locale)
            cp.value = static_cast<char32_t>(map(static_cast<wint_t>(cp.value), locale));
        else if (cp.value < 0x80)
            cp.value = static_cast<char32_t>(map(static_cast<wint_t>(cp.value), LC_GLOBAL_LOCALE));
    }
    return EncodeUtf8(cps);
}

} // namespace

AnsiText ToAnsi(const std::string& utf8) {
    return AnsiText(Ansi().encode(utf8));
}
std::string FromAnsi(const AnsiText& ansi) {
    return Ansi().decode(ansi.bytes);
}
OemText ToOem(const std::string& utf8) {
    return OemText(Oem().encode(utf8));
}
std::string FromOem(const OemText& oem) {
    return Oem().decode(oem.bytes);
}

std::string UpperCase(const std::string& utf8) {
    return MapCase(utf8, [](wint_t c, locale_t l) { return towupper_l(c, l); });
}

std::string LowerCase(const std::string& utf8) {
    return MapCase(utf8, [](wint_t c, locale_t l) { return towlower_l(c, l); });
}

} // namespace qx::platform
