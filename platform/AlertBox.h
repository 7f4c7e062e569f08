#pragma once
// A message for the operator from a program without windows of its own (the replacement
// program): a message box on Windows, standard error elsewhere. Returns once it is read.
#include <string>

namespace qx::platform {

void ShowAlert(const std::string& title, const std::string& text);

} // namespace qx::platform
