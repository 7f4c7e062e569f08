#include "app/MainWindowLogic.h"
#include "app/UserDirectories.h"
#include "settings/SettingsFiles.h"
#include "text/TextHelpers.h"

namespace qx {

void ComboBox1Change(Session& session, const std::string& selectedEntry) {
    TSessionSelection& selection = session.selection;
    selection.listedRoot = AppendBackslash(selectedEntry);
    selection.dataRoot = selection.listedRoot;
    selection.userList = ListUserDirectories(selection.listedRoot);
}

void ListBox1Click(Session& session, const std::optional<std::string>& selectedEntry) {
    TSessionSelection& selection = session.selection;
    if (selectedEntry)
        selection.userDir = *selectedEntry;
    WriteSavedChoice(selection, selection.dataRoot, selection.userDir);
}

} // namespace qx
