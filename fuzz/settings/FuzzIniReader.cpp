// An INI file (QX.INI, qx.ini) from any bytes: the look-ups the settings make, the cleaning
// of values, and an edit that must read back while leaving the rest readable.
#include "fuzz/Check.h"
#include "platform/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qx::platform::IniDocument document(bytes);
    for (const char* key : {"Servis", "ID", "Datumod", "FTP", "Email"})
        if (auto raw = document.rawValue("Nastavitve", key)) {
            const std::string value = qx::platform::CleanIniValue(*raw);
            Check(value.size() <= raw->size());
            qx::platform::ParseIniInteger(value);
        }
    document.set("Nastavitve", "ID", "A1");
    qx::platform::IniDocument reread(document.bytes());
    const auto written = reread.rawValue("Nastavitve", "ID");
    Check(written && qx::platform::CleanIniValue(*written) == "A1");
    return 0;
}
