#include "platform/FileStreams.h"
#include "platform/WideText_win32.h"

namespace qx::platform {

// The same conversion as every wide Windows call of this layer takes its paths through.
std::filesystem::path NativePath(const std::string& utf8) {
    return std::filesystem::path(Widen(utf8));
}

} // namespace qx::platform
