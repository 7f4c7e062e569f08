#pragma once
// What a console program needs to speak UTF-8 on either platform.
#include <string>
#include <vector>

namespace qx::platform {

// The program's arguments as UTF-8, without the program's name. Windows passes `argv` in the
// ANSI code page, so there they are read from the wide command line instead.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Lets the console show the UTF-8 the program writes (a Windows console otherwise reads it
// in the OEM code page) and its line controls; nothing to do on POSIX.
void UseUtf8Console();

// True when standard error is a terminal that understands the ANSI line controls ("\r\033[K")
// the console front end draws its progress bar with.
bool StandardErrorIsTerminal();

} // namespace qx::platform
