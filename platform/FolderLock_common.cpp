#include "platform/FileSystem.h"
#include "platform/FolderLock.h"

namespace qx::platform {

std::string FolderLock::LockFilePath(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && (path.back() == '/' || path.back() == kPathSeparator))
        path.pop_back();
    return path + ".lock";
}

} // namespace qx::platform
