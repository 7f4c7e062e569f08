#include "platform/AlertBox.h"

#include <iostream>

namespace qx::platform {

void ShowAlert(const std::string& title, const std::string& text) {
    std::cerr << title << ": " << text << std::endl;
}

} // namespace qx::platform
