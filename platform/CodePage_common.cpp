#include "platform/CodePage.h"

namespace qx::platform {

OemText AnsiToOem(const AnsiText& ansi) {
    return ToOem(FromAnsi(ansi));
}

AnsiText OemToAnsi(const OemText& oem) {
    return ToAnsi(FromOem(oem));
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

} // namespace qx::platform
