#include "net/CommandText.h"

namespace qx::net {

bool IsSafeCommandText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

} // namespace qx::net
