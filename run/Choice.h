#pragma once
// The operator's actions on the root box and the user list, over the Session.
#include "session/Session.h"
#include <optional>
#include <string>

namespace qx {

// The root box changed: `selectedEntry` is the selected entry, empty when none is selected.
// Lists the root's users into selection.userList, with no entry selected; userDir stays.
void SelectRoot(Session& session, const std::string& selectedEntry);

// A click on the user list: the clicked entry becomes userDir, then Skupno and Userdir are
// saved. A refused write throws qx::Error("Unable to write to " + path).
void SelectUser(Session& session, const std::optional<std::string>& selectedEntry);

} // namespace qx
