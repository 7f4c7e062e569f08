#include "run/Choice.h"
#include "platform/FileSystem.h"
#include "run/UserDirectories.h"
#include "settings/SettingsFiles.h"
#include "text/TextHelpers.h"

namespace qx {

void SelectRoot(Session& session, const std::string& selectedEntry) {
    TSessionSelection& selection = session.selection;
    selection.listedRoot = platform::AppendBackslash(selectedEntry);
    selection.dataRoot = selection.listedRoot;
    selection.userList = ListUserDirectories(selection.listedRoot);
}

void SelectUser(Session& session, const std::optional<std::string>& selectedEntry) {
    TSessionSelection& selection = session.selection;
    if (selectedEntry)
        selection.userDir = *selectedEntry;
    WriteSavedChoice(selection, selection.dataRoot, selection.userDir);
}

} // namespace qx
