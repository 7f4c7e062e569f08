#include "platform/Signature.h"

namespace qx::platform {

std::string Sha256Of(const std::string& bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.finish();
}

} // namespace qx::platform
