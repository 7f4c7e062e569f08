#pragma once
#include <string>

namespace qx::platform {

// The variable's value read with room for 1020 characters including the terminating zero;
// an undefined or empty variable, or a longer value, reads as an empty text.
std::string GetEnvironmentText(const std::string& name);

// A built-in server root that tests and demos may replace: the variable's value when it is set,
// else `builtIn`; either way without trailing slashes.
std::string RootOrOverride(const std::string& variable, const std::string& builtIn);

// The executable's full path and its folder with a trailing separator.
std::string ExecutablePath();
std::string ExecutableFolder();

// The "FileVersion" of the executable's version resource, e.g. "3.0.22.0".
std::string ExecutableFileVersion();

// The user's temporary folder with a trailing separator.
std::string TempFolder();
// Creates a new empty file with a unique name in `folder`; empty text when that fails.
std::string CreateUniqueTempFile(const std::string& folder);

} // namespace qx::platform
