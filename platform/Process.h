#pragma once
#include <string>
#include <vector>

namespace qx::platform {

// Starts a program with a command line built as Windows builds it: the program path,
// and the arguments joined by blanks, nothing quoted. Returns false when it cannot start.
// Waits without a time limit for the program to end.
bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments, int* exitCode = nullptr);

// Starts a program without waiting.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// Opens the compiled help file with the system's viewer; nothing happens when none is available.
void OpenHelpFile(const std::string& path);
// Opens a URL in the system's browser.
void OpenUrl(const std::string& url);

} // namespace qx::platform
