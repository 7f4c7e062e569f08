#pragma once
// The two settings files: the program-folder file exeDir + "qx.ini" with the saved choice,
// and the user file QX.INI in each user directory with the user's 21 settings.
// A write the file system refuses throws qx::Error("Unable to write to " + path).
#include "session/SessionSelection.h"
#include "session/UserSettings.h"
#include <string>

namespace qx {

// exeDir + "qx.ini".
std::string ProgramSettingsPath(const TSessionSelection& selection);

struct SavedChoice {
    std::string root; // Setup/Skupno as stored, empty when missing
    std::string user; // Setup/Userdir as stored, empty when missing
};

SavedChoice ReadSavedChoice(const TSessionSelection& selection);
// Writes Skupno, then Userdir.
void WriteSavedChoice(const TSessionSelection& selection, const std::string& root, const std::string& user);

// What the export run assumes for a key that is missing or unreadable.
TUserSettings ExportDefaults();

// Fills `settings` from the user file with the export run's defaults.
void ReadUserSettingsForRun(const std::string& path, TUserSettings& settings);
// Fills `settings` from the user file with the dialog's defaults (the values in memory for the
// first twelve keys); returns false and changes nothing when the file does not exist.
bool ReadUserSettingsForDialog(const std::string& path, TUserSettings& settings);
// Writes all 21 keys in the file's key order; a refused write stops at that key.
void WriteUserSettings(const std::string& path, const TUserSettings& settings);

} // namespace qx
