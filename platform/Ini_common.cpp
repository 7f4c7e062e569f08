#include "platform/Ini.h"
#include "platform/IniDocument.h"

namespace qx::platform {

int IniReadInt(const std::string& file, const std::string& section, const std::string& key, int fallback) {
    const AnsiText text = IniReadString(file, section, key, AnsiText());
    return ParseIniInteger(text.bytes).value_or(fallback);
}

} // namespace qx::platform
