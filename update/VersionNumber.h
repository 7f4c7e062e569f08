#pragma once
// Version numbers of up to four parts separated by ".", as the information file offers them.
#include <string>

namespace qx::update {

// The program's own version number for the update check; set independently of the file version.
inline constexpr const char* kOwnVersion = "3.0.23";

// True when `offered` is newer than `own`: four parts compared as integers from the left,
// missing parts counting as 0; when a part on either side is no integer before a difference
// is found, the whole texts are compared byte by byte instead.
bool IsNewerVersion(const std::string& offered, const std::string& own);

} // namespace qx::update
