#pragma once
// Every window action runs through here: an unexpected failure ends the action with its
// text in an error box, and no exception ever reaches the window's event loop.
#include "session/OperatorInterface.h"

#include <exception>

namespace qx {

template <class Action> void RunGuarded(OperatorInterface& ui, Action&& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        ui.showError(failure.what());
    } catch (...) {
        ui.showError("Unknown error");
    }
}

} // namespace qx
