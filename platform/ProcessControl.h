#pragma once
// What the replacement program needs of processes and program files.
#include <string>

namespace qx::platform {

// True while a process other than this one runs the executable at `path`.
bool IsProgramRunning(const std::string& path);

// Lets the file be started as a program (the execute bits on POSIX; nothing to do on Windows).
bool MarkExecutable(const std::string& path);

} // namespace qx::platform
