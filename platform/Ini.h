#pragma once
// Private-profile INI files as the Windows functions read and write them: ANSI text,
// section and key names without regard to case, values read up to 2047 characters,
// blanks and one pair of enclosing quotes removed, a write replacing the line in place,
// adding the key at the end of its section, or creating the section and the file.
#include "text/EightBitText.h"
#include <string>

namespace qx::platform {

// Returns the value, or `fallback` when the file, section or key is missing.
AnsiText IniReadString(const std::string& file, const std::string& section, const std::string& key,
                       const AnsiText& fallback);

// The value read as an integer, decimal or "0x" hexadecimal; `fallback` when missing or no integer.
int IniReadInt(const std::string& file, const std::string& section, const std::string& key, int fallback);

// Writes one key. A write the file system refuses throws std::runtime_error("Unable to write to " + file).
void IniWriteString(const std::string& file, const std::string& section, const std::string& key, const AnsiText& value);

} // namespace qx::platform
