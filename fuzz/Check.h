#pragma once
// A property the fuzz input broke: abort, so that libFuzzer (and the corpus replay) reports it.
#include <cstdlib>

namespace qx::fuzz {

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace qx::fuzz
