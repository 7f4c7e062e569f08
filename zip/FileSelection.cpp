#include "zip/FileSelection.h"

#include "platform/FileSystem.h"

namespace qx::zip {

std::vector<SelectedFile> SelectFiles(const std::string& rootFolder, const std::vector<std::string>& masks,
                                      const std::string& archivePath) {
    using namespace qx::platform;
    const std::string resolvedArchive = ResolvePath(archivePath);
    std::vector<SelectedFile> files;
    for (const auto& mask : masks) {
        const std::string maskFolder = FolderOf(mask);
        const std::string folder = maskFolder.empty() ? rootFolder : maskFolder;
        for (const auto& entry : ListDirectory(folder, FileNameOf(mask))) {
            if (entry.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem))
                continue;
            const std::string path = folder + entry.name;
            if (path == archivePath || ResolvePath(path) == resolvedArchive)
                continue;
            files.push_back({path, entry.name, entry.size, entry.attributes, entry.lastWriteUnix});
        }
    }
    return files;
}

} // namespace qx::zip

namespace qx {

int CountFolderFiles(const std::string& folder) {
    std::string withSeparator = folder;
    if (withSeparator.empty() || withSeparator.back() != platform::kPathSeparator)
        withSeparator += platform::kPathSeparator;
    int count = 0;
    // Windows' "*.*" matches every name, with or without a dot.
    for (const auto& entry : platform::ListDirectory(withSeparator, "*"))
        if (!(entry.attributes & platform::kAttrDirectory))
            ++count;
    return count;
}

} // namespace qx
