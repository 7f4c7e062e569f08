#pragma once
// What the replacement program needs of processes and program files.
#include <string>
#include <vector>

namespace qx::platform {

// True while a process other than this one runs the executable at `path`.
bool IsProgramRunning(const std::string& path);

// Starts the program at exactly `path` without waiting. On Windows the path is named to the
// system and quoted on the command line, so that a blank in it can never start another
// program (C:\Program.exe for C:\Program Files\...). The arguments are passed as given.
bool StartProgramAt(const std::string& path, const std::vector<std::string>& arguments);

// Lets the file be started as a program (the execute bits on POSIX; nothing to do on Windows).
bool MarkExecutable(const std::string& path);

} // namespace qx::platform
