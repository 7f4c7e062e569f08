#pragma once
// Which files a pack takes: the masks' matches in one folder, no sub-folders, without
// folders, hidden and system files, and never the archive itself; in the folder's own order.
#include <cstdint>
#include <string>
#include <vector>

namespace qx::zip {

struct SelectedFile {
    std::string path;       // full path
    std::string name;       // the name alone, as stored in the archive
    std::uint64_t size = 0; // at the time of the search
    std::uint32_t attributes = 0;
    std::int64_t lastWriteUnix = 0;
};

// `rootFolder` ends in the path separator; a mask without a folder part is taken relative to it.
std::vector<SelectedFile> SelectFiles(const std::string& rootFolder, const std::vector<std::string>& masks,
                                      const std::string& archivePath);

} // namespace qx::zip

namespace qx {

// The number of entries directly in the folder that are not folders (hidden and system files too).
int CountFolderFiles(const std::string& folder);

} // namespace qx
