#pragma once
// The archive's name, made from the selected user directory.
#include <string>

namespace qx {

// "FIRMA.P" gives "FIRMAP.ZIP", "ABCDEFGHI.P" gives "ABCDEFGH.ZIP", "FIRMA._P" gives "FIRMA._P.ZIP",
// and the shared entry "SKUPNO    " gives "SKUPNO" without an extension.
std::string ArchiveName(const std::string& userDir);

} // namespace qx
