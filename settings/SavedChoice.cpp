#include "platform/CodePage.h"
#include "platform/Ini.h"
#include "settings/SettingsFiles.h"

namespace qx {

namespace {

constexpr const char* kSection = "Setup";

} // namespace

std::string ProgramSettingsPath(const TSessionSelection& selection) {
    return platform::FromAnsi(selection.exeDir) + "qx.ini";
}

SavedChoice ReadSavedChoice(const TSessionSelection& selection) {
    const std::string path = ProgramSettingsPath(selection);
    SavedChoice choice;
    choice.root = platform::FromAnsi(platform::IniReadString(path, kSection, "Skupno", AnsiText()));
    choice.user = platform::FromAnsi(platform::IniReadString(path, kSection, "Userdir", AnsiText()));
    return choice;
}

void WriteSavedChoice(const TSessionSelection& selection, const std::string& root, const std::string& user) {
    const std::string path = ProgramSettingsPath(selection);
    platform::IniWriteString(path, kSection, "Skupno", platform::ToAnsi(root));
    platform::IniWriteString(path, kSection, "Userdir", platform::ToAnsi(user));
}

} // namespace qx
