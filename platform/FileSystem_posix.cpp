// Windows file-system semantics over POSIX: attribute words are synthesised from the
// mode and the name, and a path component that does not exist as written is looked up
// without regard to case.
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Wildcard.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::platform {

const char kPathSeparator = '/';
const bool kHasDriveLetters = false;

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

// The entry of `folder` that equals `component` without regard to case; empty when none.
std::string FindIgnoringCase(const std::string& folder, const std::string& component) {
    const std::string wanted = UpperCase(component);
    for (const std::string& name : NamesIn(folder))
        if (UpperCase(name) == wanted)
            return name;
    return {};
}

std::uint32_t AttributesOf(const std::string& path, const std::string& name, const struct stat& st) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    // Read-only as Windows sees it: no write bit at all, or no write access for us.
    if (!S_ISDIR(st.st_mode) && ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0))
        attributes |= kAttrReadOnly;
    if (!name.empty() && name[0] == '.')
        attributes |= kAttrHidden;
    return attributes;
}

DirEntry EntryOf(const std::string& path, const std::string& name, const struct stat& st) {
    DirEntry entry;
    entry.name = name;
    entry.attributes = AttributesOf(path, name, st);
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastWriteUnix = st.st_mtime;
    return entry;
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator)
        path.pop_back();
    return path;
}

} // namespace

std::string ResolvePath(const std::string& path) {
    if (path.empty() || Exists(path))
        return path;
    std::string resolved = path[0] == kPathSeparator ? std::string(1, kPathSeparator) : std::string();
    bool parentExists = true;
    std::size_t start = resolved.size();
    while (start <= path.size()) {
        std::size_t end = path.find(kPathSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(start, end - start);
        if (!component.empty()) {
            if (parentExists && component != "." && component != ".." && !Exists(resolved + component)) {
                const std::string found = FindIgnoringCase(resolved, component);
                if (!found.empty())
                    component = found;
                else
                    parentExists = false;
            }
            resolved += component;
        }
        if (end < path.size() && (resolved.empty() || resolved.back() != kPathSeparator))
            resolved += kPathSeparator;
        start = end + 1;
    }
    return resolved;
}

std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern) {
    std::vector<DirEntry> entries;
    std::string base = ResolvePath(folder);
    if (!base.empty() && base.back() != kPathSeparator)
        base += kPathSeparator;
    for (const std::string& name : NamesIn(base)) {
        if (!MatchesWildcard(name, pattern))
            continue;
        struct stat st {};
        const std::string full = base + name;
        if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0)
            continue;
        entries.push_back(EntryOf(full, name, st));
    }
    return entries;
}

std::optional<DirEntry> StatPath(const std::string& path) {
    const std::string resolved = ResolvePath(path);
    struct stat st {};
    if (resolved.empty() || stat(resolved.c_str(), &st) != 0)
        return std::nullopt;
    return EntryOf(resolved, FileNameOf(WithoutTrailingSeparators(resolved)), st);
}

bool PathExists(const std::string& path) {
    return StatPath(path).has_value();
}

bool IsExistingDirectory(const std::string& path) {
    const auto entry = StatPath(path);
    return entry && (entry->attributes & kAttrDirectory);
}

bool IsExistingFile(const std::string& path) {
    const auto entry = StatPath(path);
    return entry && !(entry->attributes & kAttrDirectory);
}

bool CreateDirectories(const std::string& path) {
    if (path.empty())
        return false;
    const std::string resolved = ResolvePath(path);
    std::error_code ignored;
    std::filesystem::create_directories(resolved, ignored);
    return IsExistingDirectory(resolved);
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    std::error_code error;
    const std::string target = ResolvePath(to);
    if (IsExistingFile(target) && (StatPath(target)->attributes & kAttrReadOnly))
        return false; // Windows refuses to replace a read-only file
    return std::filesystem::copy_file(ResolvePath(from), target, std::filesystem::copy_options::overwrite_existing,
                                      error) &&
           !error;
}

bool DeleteFilePath(const std::string& path) {
    const std::string resolved = ResolvePath(path);
    const auto entry = StatPath(resolved);
    if (!entry || (entry->attributes & (kAttrDirectory | kAttrReadOnly)))
        return false;
    return unlink(resolved.c_str()) == 0;
}

bool DeleteTree(const std::string& path) {
    const std::string resolved = WithoutTrailingSeparators(ResolvePath(path));
    if (resolved.empty() || resolved == std::string(1, kPathSeparator))
        return false; // never the whole file system
    std::error_code ignored;
    // Write access back first so that read-only contents go too, as the shell's delete removes them.
    for (auto& entry : std::filesystem::recursive_directory_iterator(resolved, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(resolved, ignored);
    return !Exists(resolved);
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) == 0;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    const std::string resolved = ResolvePath(path);
    struct stat st {};
    if (stat(resolved.c_str(), &st) != 0)
        return false;
    const mode_t mode = readOnly ? (st.st_mode & ~0222) : (st.st_mode | S_IWUSR);
    return chmod(resolved.c_str(), mode & 07777) == 0;
}

bool SetLastWriteTime(const std::string& path, std::int64_t unixSeconds) {
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(unixSeconds);
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, ResolvePath(path).c_str(), times, 0) == 0;
}

bool SetHidden(const std::string& path, bool) {
    return PathExists(path);
}

bool SetAttributeBits(const std::string& path, std::uint32_t) {
    return PathExists(path);
}

} // namespace qx::platform
