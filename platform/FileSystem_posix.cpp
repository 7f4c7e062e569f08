// Windows file-system semantics over POSIX: attribute words are synthesised from the
// mode and the name, and a path component that does not exist as written is looked up
// without regard to case.
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Wildcard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
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

// Windows drops the blanks and dots at the end of every path component ("SKUPNO    " is the
// folder SKUPNO, "FIRMA.P." is FIRMA.P); "." and ".." stay what they are.
std::string WithWindowsComponents(const std::string& path) {
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(kPathSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(start, end - start);
        if (component != "." && component != "..") {
            const std::size_t last = component.find_last_not_of(" .");
            if (last != std::string::npos)
                component.erase(last + 1);
        }
        result += component;
        if (end < path.size())
            result += kPathSeparator;
        start = end + 1;
    }
    return result;
}

} // namespace

std::string ResolvePath(const std::string& rawPath) {
    const std::string path = WithWindowsComponents(rawPath);
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

namespace {

bool Fail(std::string* reason, int error) {
    if (reason)
        *reason = std::strerror(error);
    return false;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the open source into `target`; errno says why when it could not.
bool CopyContents(int source, const std::string& target, mode_t mode) {
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (out < 0)
        return false;
    static constexpr std::size_t kBlock = 1 << 16;
    std::unique_ptr<char[]> buffer(new char[kBlock]);
    bool done = true;
    for (;;) {
        const ssize_t got = read(source, buffer.get(), kBlock);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || (got > 0 && !WriteAll(out, buffer.get(), static_cast<std::size_t>(got)))) {
            done = false;
            break;
        }
        if (got == 0)
            break;
    }
    const int error = errno;
    if (close(out) != 0 && done)
        done = false; // the last blocks may be refused only now
    else
        errno = error;
    if (!done) {
        const int saved = errno;
        unlink(target.c_str());
        errno = saved;
    }
    return done;
}

} // namespace

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* reason) {
    const std::string target = ResolvePath(to);
    if (IsExistingFile(target) && (StatPath(target)->attributes & kAttrReadOnly))
        return Fail(reason, EACCES); // Windows refuses to replace a read-only file
    const int source = open(ResolvePath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return Fail(reason, errno);
    struct stat st {};
    if (fstat(source, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISREG(st.st_mode) ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(source);
        return Fail(reason, error);
    }
    const bool done = CopyContents(source, target, (st.st_mode & 0777) | S_IWUSR);
    const int error = errno;
    close(source);
    return done || Fail(reason, error);
}

bool DeleteFilePath(const std::string& path, std::string* reason) {
    const std::string resolved = ResolvePath(path);
    const auto entry = StatPath(resolved);
    if (!entry)
        return Fail(reason, ENOENT);
    if (entry->attributes & kAttrDirectory)
        return Fail(reason, EISDIR);
    if (entry->attributes & kAttrReadOnly) // a read-only mode, or a file system that refuses writes
        return Fail(reason, access(resolved.c_str(), W_OK) != 0 ? errno : EACCES);
    return unlink(resolved.c_str()) == 0 || Fail(reason, errno);
}

bool DeleteTree(const std::string& path) {
    const std::string resolved = WithoutTrailingSeparators(ResolvePath(path));
    if (resolved.empty() || resolved == std::string(1, kPathSeparator))
        return false; // never the whole file system
    std::error_code ignored;
    // Write access back first so that read-only contents go too, as the shell's delete removes
    // them; a link is never followed, so what it points to keeps its permissions.
    for (auto& entry : std::filesystem::recursive_directory_iterator(resolved, ignored))
        if (!entry.is_symlink(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(resolved, ignored);
    return !Exists(resolved);
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string* reason) {
    const std::string source = ResolvePath(from);
    const std::string target = ResolvePath(to);
    if (std::rename(source.c_str(), target.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return Fail(reason, errno);
    // Another file system: a whole copy beside the target first, so the target is replaced
    // in one step and never stands half written.
    const std::string beside = target + ".~qx";
    if (!CopyFileReplacing(source, beside, reason))
        return false;
    if (std::rename(beside.c_str(), target.c_str()) != 0) {
        const int error = errno;
        unlink(beside.c_str());
        return Fail(reason, error);
    }
    unlink(source.c_str());
    return true;
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
