#pragma once
// The user's and the system's well-known folders, as the update's target macros name them.
// On POSIX they map to the XDG and home folders and to the usual system folders.
#include <string>

namespace qx::platform {

enum class ShellFolder {
    Desktop,
    MyDocuments,
    MyPictures,
    AppData,
    ProgramFiles,
    Windows,
    System,
    Help,
    Media,
    Cursors
};

// The folder without a trailing separator; empty when it cannot be determined.
std::string ShellFolderPath(ShellFolder folder);

// The process's current folder without a trailing separator.
std::string CurrentFolder();

} // namespace qx::platform
