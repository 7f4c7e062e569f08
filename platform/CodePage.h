#pragma once
// Conversions between UTF-8 and the system's ANSI and OEM code pages, and full
// Unicode upper-casing. On POSIX the code pages are those of a Slovenian Windows:
// ANSI = windows-1250, OEM = cp852.
#include "text/EightBitText.h"
#include <string>

namespace qx::platform {

// A character that the code page cannot represent becomes '?', as Windows' default character.
AnsiText ToAnsi(const std::string& utf8);
std::string FromAnsi(const AnsiText& ansi);
OemText ToOem(const std::string& utf8);
std::string FromOem(const OemText& oem);
OemText AnsiToOem(const AnsiText& ansi);
AnsiText OemToAnsi(const OemText& oem);

// Full Unicode upper-casing (č becomes Č); invalid UTF-8 bytes are kept as they are.
std::string UpperCase(const std::string& utf8);
std::string LowerCase(const std::string& utf8);

// Compares two UTF-8 texts without regard to case.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

} // namespace qx::platform
