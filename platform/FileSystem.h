#pragma once
// The file system services the program needs, with Windows semantics: directory search
// with attribute words, hidden and system entries, folder creation with parents,
// copy, delete, the shell's silent recursive delete, last-write times.
// Paths are UTF-8. On POSIX a path component that does not exist as written is looked
// up without regard to case, because the program upper-cases roots and user names.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::platform {

// The platform's path separator ("/" on POSIX, "\\" on Windows) and whether paths have drive letters.
extern const char kPathSeparator;
extern const bool kHasDriveLetters;

// Windows attribute bits; POSIX synthesises them (archive, read-only, hidden for a leading ".").
enum FileAttribute : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrTemporary = 0x100,
};

struct DirEntry {
    std::string name;           // the entry's name, without folder
    std::uint32_t attributes{}; // FileAttribute bits
    std::uint64_t size{};
    std::int64_t lastWriteUnix{}; // last write, seconds since 1970 UTC
};

// Entries of `folder` whose names match `pattern` ("*" any run, "?" one character,
// letter case ignored), in the order the file system returns them; "." and ".." left out.
// A missing or unreadable folder gives an empty list.
std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern = "*");

// Resolves components that do not exist as written without regard to case (POSIX);
// returns the path unchanged when nothing better is found.
std::string ResolvePath(const std::string& path);

bool PathExists(const std::string& path);
bool IsExistingDirectory(const std::string& path);
// Folder path with a trailing separator; a lone drive letter becomes a drive root where drives exist.
std::string AppendBackslash(const std::string& path);
// False for an empty path, which the system would read as the current folder.
bool IsDirectory(const std::string& path);
bool IsExistingFile(const std::string& path);
std::optional<DirEntry> StatPath(const std::string& path);

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool CreateDirectories(const std::string& path);
// The calls below return false on any failure and then put the system's reason into `reason`
// when one is given.
// Copies a file whole, replacing the target; a copy cut short (a full disk, a read error)
// is removed, so the target is either whole or not there.
bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* reason = nullptr);
bool DeleteFilePath(const std::string& path, std::string* reason = nullptr);
// The shell's silent recursive delete of a folder with its contents; false when anything stays.
// Links inside are removed as links: nothing outside the folder is touched.
bool DeleteTree(const std::string& path);
// Moves a file over another, also onto another file system (copied there, then put in place).
bool RenameReplacing(const std::string& from, const std::string& to, std::string* reason = nullptr);
bool SetReadOnly(const std::string& path, bool readOnly);
bool SetLastWriteTime(const std::string& path, std::int64_t unixSeconds);
bool SetHidden(const std::string& path, bool hidden); // no-op on POSIX (hidden there is the name)
// Sets exactly these attribute bits (read-only, hidden, archive, temporary); no-op on POSIX.
bool SetAttributeBits(const std::string& path, std::uint32_t attributes);

// The folder part of a path with its trailing separator; empty when there is none.
std::string FolderOf(const std::string& path);
// The last component of a path.
std::string FileNameOf(const std::string& path);

} // namespace qx::platform
