#include "zip/PkwareCipher.h"

#include <zlib.h>

namespace qx::zip {

// zlib's CRC-32 table is the one the key update uses.
const std::uint32_t* const PkwareCipher::kCrcTable = reinterpret_cast<const std::uint32_t*>(get_crc_table());

PkwareCipher::PkwareCipher(const std::string& passwordBytes) {
    for (const char c : passwordBytes)
        updateKeys(static_cast<std::uint8_t>(c));
}

} // namespace qx::zip
