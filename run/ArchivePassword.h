#pragma once
// The built-in archive password, kept in the scrambled form.
#include <string>

namespace qx {

// The password descrambled with the built-in seed: 17 bytes of UTF-8 text.
std::string ArchivePassword();

} // namespace qx
