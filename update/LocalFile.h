#pragma once
// The path form that the file download's own stream takes: the platform's one conversion.
// Files are otherwise read and written through platform/FileStreams.h.
#include "platform/FileStreams.h"

#include <string>

namespace qx::update {

inline std::filesystem::path LocalPath(const std::string& utf8) {
    return platform::NativePath(utf8);
}

} // namespace qx::update
