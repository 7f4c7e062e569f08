#include "platform/ShellFolders.h"
#include "platform/WideText_win32.h"

#include <shlobj.h>

namespace qx::platform {

namespace {

std::string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return "";
    return Narrow(path, static_cast<int>(wcslen(path)));
}

// Help, Media and Cursors have no folder id of their own: they live in the Windows folder.
std::string InWindowsFolder(const char* name) {
    const std::string windows = KnownFolder(CSIDL_WINDOWS);
    return windows.empty() ? "" : windows + "\\" + name;
}

// "Program Files" on the drive of the Windows folder, whatever the system names its own.
std::string ProgramFilesOnWindowsDrive() {
    const std::string windows = KnownFolder(CSIDL_WINDOWS);
    return windows.size() < 2 || windows[1] != ':' ? "" : windows.substr(0, 2) + "\\Program Files";
}

} // namespace

std::string ShellFolderPath(ShellFolder folder) {
    switch (folder) {
    case ShellFolder::Desktop:
        return KnownFolder(CSIDL_DESKTOPDIRECTORY);
    case ShellFolder::MyDocuments:
        return KnownFolder(CSIDL_PERSONAL);
    case ShellFolder::MyPictures:
        return KnownFolder(CSIDL_MYPICTURES);
    case ShellFolder::AppData:
        return KnownFolder(CSIDL_APPDATA);
    case ShellFolder::ProgramFiles:
        return ProgramFilesOnWindowsDrive();
    case ShellFolder::Windows:
        return KnownFolder(CSIDL_WINDOWS);
    case ShellFolder::System:
        return KnownFolder(CSIDL_SYSTEM);
    case ShellFolder::Help:
        return InWindowsFolder("Help");
    case ShellFolder::Media:
        return InWindowsFolder("Media");
    case ShellFolder::Cursors:
        return InWindowsFolder("Cursors");
    }
    return "";
}

std::string CurrentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return "";
    std::wstring path(length, L'\0');
    const DWORD written = GetCurrentDirectoryW(length, path.data());
    path.resize(written);
    // The drive's root keeps its separator ("C:\"); every other folder comes without one.
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return Narrow(path);
}

} // namespace qx::platform
