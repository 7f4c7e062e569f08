#include "run/ArchivePassword.h"

#include "delivery/Scramble.h"

namespace qx {
namespace {

// Scrambled with qxscramble; the service opens the archives with the same password.
constexpr const char* kScrambledArchivePassword = "2B1CC054A68B3A67120E375F858494CC96";

} // namespace

std::string ArchivePassword() {
    return Descramble(kScrambledArchivePassword, kScrambleSeed);
}

} // namespace qx
