#include "tests/support/SmallFileSystem.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace qx::test {

SmallFileSystem::SmallFileSystem(const std::string& folder, std::size_t bytes) : folder_(folder) {
    if (geteuid() != 0) {
        skipReason_ = "mounting a small file system needs root";
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        skipReason_ = std::string("tmpfs cannot be mounted here: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_)
        umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallFileSystem::makeReadOnly() {
    return mounted_ && mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace qx::test
