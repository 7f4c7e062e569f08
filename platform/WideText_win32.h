#pragma once
// UTF-8 to UTF-16 and back for the wide Windows calls; only the *_win32.cpp files include this.
#include <string>
#include <windows.h>

namespace qx::platform {

inline std::wstring Widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

inline std::string Narrow(const wchar_t* wide, int length) {
    if (length <= 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

inline std::string Narrow(const std::wstring& wide) {
    return Narrow(wide.data(), static_cast<int>(wide.size()));
}

// The system's text for an error code (GetLastError, WSAGetLastError), in English where the
// system has it.
inline std::string SystemErrorText(DWORD error) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

// Seconds since 1970 UTC from a FILETIME (100 ns since 1601) and back.
constexpr long long kFileTimeUnixEpoch = 116444736000000000LL;

inline long long UnixFromFileTime(const FILETIME& time) {
    const ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
    return static_cast<long long>((value.QuadPart - kFileTimeUnixEpoch) / 10000000ULL);
}

inline FILETIME FileTimeFromUnix(long long unixSeconds) {
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(unixSeconds * 10000000LL + kFileTimeUnixEpoch);
    return FILETIME{value.LowPart, value.HighPart};
}

} // namespace qx::platform
