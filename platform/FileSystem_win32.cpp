// The file system through the wide Win32 calls. Windows compares names without regard to
// case by itself, so paths need no resolving here.
#include "platform/FileSystem.h"
#include "platform/WideText_win32.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <shellapi.h>
#include <shlobj.h>

namespace qx::platform {

const char kPathSeparator = '\\';
const bool kHasDriveLetters = true;

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

std::wstring FullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return wide;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(length);
    return full;
}

// "C:\", "\\server\share\" and the like: the shell's delete must never get one of these.
bool IsRootFolder(const std::wstring& full) {
    std::wstring trimmed = full;
    while (!trimmed.empty() && (trimmed.back() == L'\\' || trimmed.back() == L'/'))
        trimmed.pop_back();
    if (trimmed.size() <= 2)
        return true;
    if (trimmed.rfind(L"\\\\", 0) == 0)
        return std::count(trimmed.begin() + 2, trimmed.end(), L'\\') < 2;
    return false;
}

DirEntry EntryOf(const std::string& name, DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
    DirEntry entry;
    entry.name = name;
    entry.attributes = attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
    entry.size = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    entry.lastWriteUnix = UnixFromFileTime(written);
    return entry;
}

} // namespace

std::string ResolvePath(const std::string& path) {
    return path;
}

std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern) {
    std::vector<DirEntry> entries;
    std::string base = folder;
    if (!base.empty() && !IsSeparator(base.back()) && base.back() != ':')
        base += kPathSeparator;
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW(Widen(base + pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = Narrow(found.cFileName, static_cast<int>(wcslen(found.cFileName)));
        // The system also matches the short 8.3 names; only the long name counts here.
        if (name == "." || name == ".." || !MatchesWildcard(name, pattern))
            continue;
        entries.push_back(
            EntryOf(name, found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow, found.ftLastWriteTime));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

std::optional<DirEntry> StatPath(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return EntryOf(FileNameOf(WithoutTrailingSeparators(path)), data.dwFileAttributes, data.nFileSizeHigh,
                   data.nFileSizeLow, data.ftLastWriteTime);
}

bool PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectories(const std::string& path) {
    if (path.empty())
        return false;
    // The shell's call creates every missing parent; it wants a full path.
    SHCreateDirectoryExW(nullptr, FullPath(WithoutTrailingSeparators(path)).c_str(), nullptr);
    return IsExistingDirectory(path);
}

namespace {

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

namespace {

bool Fail(std::string* reason, DWORD error) {
    if (reason)
        *reason = SystemErrorText(error);
    return false;
}

} // namespace

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* reason) {
    // Windows refuses to replace a read-only file; said here too, because a process with
    // every right (Wine as root) would replace it.
    if (IsReadOnlyFile(to))
        return Fail(reason, ERROR_ACCESS_DENIED);
    // The system removes a copy it could not finish.
    return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0 || Fail(reason, GetLastError());
}

bool DeleteFilePath(const std::string& path, std::string* reason) {
    if (IsReadOnlyFile(path))
        return Fail(reason, ERROR_ACCESS_DENIED);
    return DeleteFileW(Widen(path).c_str()) != 0 || Fail(reason, GetLastError());
}

bool DeleteTree(const std::string& path) {
    if (path.empty())
        return false;
    std::wstring full = FullPath(WithoutTrailingSeparators(path));
    if (IsRootFolder(full))
        return false;      // never a whole drive or share
    full.push_back(L'\0'); // the shell wants a list ended by two zeros
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = full.c_str();
    // Silent, no questions, no error boxes, and no recycle bin (FOF_ALLOWUNDO left out).
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationW(&operation);
    return !PathExists(path);
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string* reason) {
    // Onto another volume the system copies, then deletes the source.
    return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0 ||
           Fail(reason, GetLastError());
}

namespace {

bool ChangeAttribute(const std::string& path, DWORD bit, bool on) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD changed = on ? (attributes | bit) : (attributes & ~bit);
    return changed == attributes || SetFileAttributesW(wide.c_str(), changed) != 0;
}

} // namespace

bool SetReadOnly(const std::string& path, bool readOnly) {
    return ChangeAttribute(path, FILE_ATTRIBUTE_READONLY, readOnly);
}

bool SetHidden(const std::string& path, bool hidden) {
    return ChangeAttribute(path, FILE_ATTRIBUTE_HIDDEN, hidden);
}

bool SetAttributeBits(const std::string& path, std::uint32_t attributes) {
    constexpr std::uint32_t settable = kAttrReadOnly | kAttrHidden | kAttrArchive | kAttrTemporary;
    const DWORD bits = attributes & settable;
    return SetFileAttributesW(Widen(path).c_str(), bits ? bits : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool SetLastWriteTime(const std::string& path, std::int64_t unixSeconds) {
    HANDLE file =
        CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME written = FileTimeFromUnix(unixSeconds);
    const bool done = SetFileTime(file, nullptr, nullptr, &written) != 0;
    CloseHandle(file);
    return done;
}

} // namespace qx::platform
