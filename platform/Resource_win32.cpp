#include "platform/Resource.h"
#include "platform/WideText_win32.h"

namespace qx::platform {

std::optional<std::string> ReadOwnResource(const std::string& name) {
    const std::wstring wide = Widen(name);
    HRSRC found = FindResourceW(nullptr, wide.c_str(), wide.c_str());
    if (found == nullptr)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return std::nullopt;
    return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

} // namespace qx::platform
