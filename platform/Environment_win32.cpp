#include "platform/Environment.h"
#include "platform/WideText_win32.h"

#include <vector>

namespace qx::platform {

namespace {

// The buffer the program reads a variable into: 1020 characters with the terminating zero.
constexpr DWORD kEnvironmentRoom = 1020;

std::string WithTrailingBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

} // namespace

std::string GetEnvironmentText(const std::string& name) {
    wchar_t value[kEnvironmentRoom] = {};
    const DWORD length = GetEnvironmentVariableW(Widen(name).c_str(), value, kEnvironmentRoom);
    // A value that does not fit returns the size it would need, which is more than the room.
    if (length == 0 || length >= kEnvironmentRoom)
        return {};
    return Narrow(value, static_cast<int>(length));
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return Narrow(path.data(), static_cast<int>(length));
        path.resize(path.size() * 2);
    }
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

std::string ExecutableFileVersion() {
    const std::wstring path = Widen(ExecutablePath());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<char> info(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data()))
        return {};
    // The first language of the resource names the string table that holds "FileVersion".
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation))
        return {};
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language, translation->codePage);
    wchar_t* version = nullptr;
    if (!VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&version), &length) || length == 0)
        return {};
    return Narrow(version, static_cast<int>(wcsnlen(version, length)));
}

std::string TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return WithTrailingBackslash(length ? Narrow(folder, static_cast<int>(length)) : std::string("."));
}

std::string CreateUniqueTempFile(const std::string& folder) {
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(Widen(folder).c_str(), L"qx", 0, name) == 0)
        return {};
    return Narrow(name, static_cast<int>(wcslen(name)));
}

} // namespace qx::platform
