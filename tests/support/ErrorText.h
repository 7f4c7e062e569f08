#pragma once
// The text of the qx::Error an action throws, or "(no error)": lets a table of cases compare
// the program's error texts exactly.
#include "text/Error.h"

#include <functional>
#include <string>

namespace qx::test {

inline std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

} // namespace qx::test
