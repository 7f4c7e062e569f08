// The private-profile INI functions of Windows, in their ANSI form: the settings files,
// their section and key names and the file names are ANSI text.
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "text/Error.h"

#include <windows.h>

namespace qx::platform {

namespace {

// Room for 2047 characters and the terminating zero, as the program reads its values.
constexpr DWORD kValueRoom = 2048;

} // namespace

AnsiText IniReadString(const std::string& file, const std::string& section, const std::string& key,
                       const AnsiText& fallback) {
    // A marker that no real value has tells a missing key from one equal to the fallback's text.
    static const char kMissing[] = "\x01qx-missing\x01";
    char value[kValueRoom] = {};
    const DWORD length = GetPrivateProfileStringA(ToAnsi(section).bytes.c_str(), ToAnsi(key).bytes.c_str(), kMissing,
                                                  value, kValueRoom, ToAnsi(file).bytes.c_str());
    const std::string text(value, length);
    return text == kMissing ? fallback : AnsiText(text);
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const AnsiText& value) {
    // A read-only file is refused as Windows refuses it, also for a process with every right.
    const auto existing = StatPath(file);
    if ((existing && (existing->attributes & kAttrReadOnly)) ||
        !WritePrivateProfileStringA(ToAnsi(section).bytes.c_str(), ToAnsi(key).bytes.c_str(), value.bytes.c_str(),
                                    ToAnsi(file).bytes.c_str()))
        throw Error("Unable to write to " + file);
}

} // namespace qx::platform
