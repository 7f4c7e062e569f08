#include "platform/FileStreams.h"

namespace qx::platform {

// POSIX paths are bytes, and ours are UTF-8 already.
std::filesystem::path NativePath(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

} // namespace qx::platform
