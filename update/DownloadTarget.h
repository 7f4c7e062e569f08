#pragma once
// Where each file of the download queue goes: "URL=target path" with folder macros, a path
// relative to the program's folder, or the last component of the URL in the program's folder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::update {

// The folders the target macros stand for, each without a trailing separator.
struct TargetFolders {
    std::string current; // %current%: the program's folder
    std::string desktop, myDocuments, myPictures, appData;
    std::string programFiles, windows, system, temp, help, media, cursors;
};

struct DownloadEntry {
    std::string url;
    std::string target;       // full local path of the file once in place
    bool namedTarget = false; // the entry named its target path (listed in the upgrader's queue)
    std::uint64_t size = 0;   // what the signed information file vouches for
    std::string sha256;       // 32 bytes
};

// Splits a queue entry at its first "=" and resolves its target path. nullopt when the entry
// is refused: a target that climbs with ".." (it could leave the program's folder) or a URL
// without a file name to fall back on.
std::optional<DownloadEntry> ResolveDownloadEntry(const std::string& entry, const TargetFolders& folders);

// The program's folder: the executable's folder, or the current folder when the executable
// lies in Windows' per-user virtual store. Both without a trailing separator.
std::string ProgramFolderFor(const std::string& executableFolder, const std::string& currentFolder);

// The folders of this machine (platform shell folders, the program's and the temporary folder).
TargetFolders MachineTargetFolders();

} // namespace qx::update
