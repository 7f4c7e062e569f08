#include "run/ArchiveName.h"

#include "platform/CodePage.h"
#include "text/TextHelpers.h"

namespace qx {

std::string ArchiveName(const std::string& userDir) {
    if (userDir.find("._") != std::string::npos)
        return userDir + ".ZIP";
    // Trimmed and measured in the ANSI form, one byte per character.
    const std::string trimmed = TrimBoth(platform::ToAnsi(userDir)).bytes;
    const std::size_t length = trimmed.size();
    if (length >= 10)
        return platform::FromAnsi(AnsiText(trimmed.substr(0, 8))) + ".ZIP";
    if (length >= 2 && trimmed[length - 2] == '.')
        return platform::FromAnsi(AnsiText(trimmed.substr(0, length - 2) + trimmed.back())) + ".ZIP";
    return platform::FromAnsi(AnsiText(trimmed));
}

} // namespace qx
