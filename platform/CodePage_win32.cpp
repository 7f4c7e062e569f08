// The system's own ANSI and OEM code pages (CP_ACP, CP_OEMCP) and its Unicode case tables.
#include "platform/CodePage.h"
#include "platform/WideText_win32.h"
#include "text/Utf8.h"

// <windows.h> names two old conversion macros like our functions.
#undef AnsiToOem
#undef OemToAnsi

namespace qx::platform {

namespace {

std::string Encode(UINT codePage, const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty())
        return {};
    // No best-fit look-alikes: what the code page lacks becomes the default character '?'.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, "?", nullptr);
    return bytes;
}

std::string Decode(UINT codePage, const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return Narrow(wide);
}

// Maps the valid stretches of the text through LCMapStringEx; invalid bytes stay as they are.
std::string MapCase(const std::string& utf8, DWORD mapping) {
    std::string out;
    std::u16string run;
    auto flush = [&] {
        if (run.empty())
            return;
        const auto* source = reinterpret_cast<const wchar_t*>(run.data());
        const int length = static_cast<int>(run.size());
        std::wstring mapped(static_cast<std::size_t>(length) * 3, L'\0');
        const int written = LCMapStringEx(LOCALE_NAME_INVARIANT, mapping, source, length, mapped.data(),
                                          static_cast<int>(mapped.size()), nullptr, nullptr, 0);
        out += written > 0 ? Narrow(mapped.data(), written) : Utf16ToUtf8(run);
        run.clear();
    };
    for (const CodePoint& cp : DecodeUtf8(utf8)) {
        if (cp.invalidByte) {
            flush();
            out += static_cast<char>(cp.value);
            continue;
        }
        std::string one;
        AppendUtf8(one, cp.value);
        run += Utf8ToUtf16(one);
    }
    flush();
    return out;
}

} // namespace

AnsiText ToAnsi(const std::string& utf8) {
    return AnsiText(Encode(CP_ACP, utf8));
}
std::string FromAnsi(const AnsiText& ansi) {
    return Decode(CP_ACP, ansi.bytes);
}
OemText ToOem(const std::string& utf8) {
    return OemText(Encode(CP_OEMCP, utf8));
}
std::string FromOem(const OemText& oem) {
    return Decode(CP_OEMCP, oem.bytes);
}

std::string UpperCase(const std::string& utf8) {
    return MapCase(utf8, LCMAP_UPPERCASE);
}

std::string LowerCase(const std::string& utf8) {
    return MapCase(utf8, LCMAP_LOWERCASE);
}

} // namespace qx::platform
