#pragma once
// The hand-over to the replacement program: its executable and queue file in the temporary
// folder, its command line, and what it does once the program has ended.
#include "text/EightBitText.h"
#include "update/DownloadTarget.h"
#include "update/InformationFile.h"

#include <optional>
#include <string>
#include <vector>

namespace qx::update {

inline constexpr const char* kUpgraderFileName = "Upgrader4.exe";
inline constexpr const char* kUpgraderQueueFileName = "UpgraderQueue.txt";
inline constexpr const char* kRestartParameters = "/afterupgrade";

// Deletes a replacement program left in the temporary folder by an earlier upgrade.
void DeleteLeftOverUpgrader(const std::string& tempFolder);

// Deletes the ".uTMP" file of every entry and every "*.uTMP" file in the program's folder.
void DeleteTemporaryDownloads(const std::string& programFolder, const std::vector<DownloadEntry>& entries);

// The arguments after the replacement program's own path: the program's full path and
// "+" + "/afterupgrade" + the method digit (0 self-upgrade, 1 external setup).
std::vector<std::string> UpgraderArguments(const std::string& programPath, UpgradeMethod method);

// Writes the replacement program and its queue file (the named target paths, ANSI, CR LF)
// to the temporary folder and starts it. False when any step fails.
bool StartUpgrader(const std::string& upgraderBytes, const std::string& tempFolder,
                   const std::vector<DownloadEntry>& entries, const std::string& programPath, UpgradeMethod method);

// What the replacement program was asked to do, read from its arguments (the program's path
// may have been split at blanks, since nothing on the command line is quoted).
struct UpgraderRequest {
    std::string programPath;
    std::string restartParameters; // "/afterupgrade0"
    char methodDigit = '0';
};
std::optional<UpgraderRequest> ReadUpgraderArguments(const std::vector<std::string>& arguments);

// The target paths of a queue file's bytes (ANSI): one a line, CR LF or LF, empty lines and
// repeats left out.
std::vector<std::string> QueueFileTargets(const AnsiText& bytes);

// Puts every downloaded file in place of its target, all or nothing: the targets of the queue
// file, then the ".uTMP" files in the program's folder. Returns the targets put in place, or
// nullopt when one could not be and every target is as it was before.
std::optional<std::vector<std::string>> InstallDownloadedFiles(const std::string& queueFile,
                                                               const std::string& programFolder);

} // namespace qx::update
