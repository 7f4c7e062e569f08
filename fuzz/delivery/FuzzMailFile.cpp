// The first bytes of the service's mail file, from any bytes, whole or cut at the fetch's
// limit: the notice address that comes out never holds a line break or NUL.
#include "delivery/MailFile.h"
#include "fuzz/Check.h"
#include "net/CommandText.h"
#include "text/Error.h"

#include <cstddef>
#include <cstdint>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), std::min(size, qx::kMailFileLimit));
    for (bool whole : {true, false}) {
        try {
            if (auto line = qx::MailFileFirstLine(bytes, whole, "SERVIS.mail"))
                Check(qx::net::IsSafeCommandText(*line));
        } catch (const qx::Error&) {
        }
    }
    return 0;
}
