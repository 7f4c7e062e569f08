// The window's start-up sequence, step by step: mailer, version label, folders, engine,
// saved choice, root list, root box, check and restore of the saved choice, default
// output folder, user list and the user to select.
#include "run/Startup.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "run/UserDirectories.h"
#include "settings/SettingsFiles.h"
#include "text/TextHelpers.h"

#include <algorithm>

namespace qx {

namespace {

int IndexIgnoringCase(const std::vector<std::string>& entries, const std::string& text) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (platform::SameTextIgnoringCase(entries[i], text))
            return static_cast<int>(i);
    return -1;
}

// Roots in the list, at most kMaxRoots: the count is an 8-bit value, and a wrapped count
// would hide roots at random, so the list is cut instead.
int RootCount(const std::string& rootList) {
    if (rootList.empty())
        return 0;
    const auto separators = std::count(rootList.begin(), rootList.end(), ';');
    return static_cast<int>(std::min<std::ptrdiff_t>(separators + 1, kMaxRoots));
}

void SetUpFolders(TSessionSelection& selection, const StartupOptions& options) {
    const std::string exeFolder = platform::AppendBackslash(options.exeFolder.value_or(platform::ExecutableFolder()));
    selection.mailerExe = exeFolder + "VorMail.exe";
    selection.externalMailer = AsciiUpperCase(platform::GetEnvironmentText("VOR_EXTMAIL")) == "D";
    selection.exeDir = platform::ToAnsi(exeFolder);
    selection.workDir = platform::FromAnsi(selection.exeDir) + "TEMP" + platform::kPathSeparator;
    platform::CreateDirectories(selection.workDir);
}

void FillRootBox(TSessionSelection& selection) {
    selection.listedRoot =
        platform::AppendBackslash(platform::UpperCase(platform::AppendBackslash(Token(selection.rootList, ";", 1))));
    selection.rootBoxEntries.clear();
    const int count = RootCount(selection.rootList);
    for (int i = 1; i <= count; ++i)
        selection.rootBoxEntries.push_back(platform::UpperCase(
            platform::AppendBackslash(Token(selection.rootList, ";", static_cast<std::uint8_t>(i)))));
}

} // namespace

std::string VersionLabel(const std::string& fileVersion) {
    return "V" + Token(fileVersion, ".", 1) + "." + Token(fileVersion, ".", 2) + "." + Token(fileVersion, ".", 3);
}

StartupResult RunStartupSequence(Session& session, const StartupOptions& options) {
    TSessionSelection& selection = session.selection;
    StartupResult result;
    if (options.updateOffer)
        options.updateOffer();

    SetUpFolders(selection, options);
    result.versionLabel = VersionLabel(platform::ExecutableFileVersion());
    if (options.engineStartup)
        options.engineStartup(selection.exeDir);

    const SavedChoice stored = ReadSavedChoice(selection);
    std::string savedRoot = platform::UpperCase(stored.root);
    std::string savedUser = platform::UpperCase(stored.user);

    const std::string variable = platform::GetEnvironmentText("VORTANE");
    selection.rootList = platform::UpperCase(variable);
    if (selection.rootList.empty()) {
        result.outcome = StartupOutcome::RootListMissing;
        result.message = kRootListMissing;
        return result;
    }

    FillRootBox(selection);
    result.rootBoxText = selection.listedRoot;

    // A saved choice whose folders are gone is forgotten without a word.
    if (!platform::IsDirectory(savedRoot) || !platform::IsDirectory(platform::AppendBackslash(savedRoot) + savedUser)) {
        savedRoot.clear();
        savedUser.clear();
    }
    if (!savedRoot.empty()) {
        const int index = IndexIgnoringCase(selection.rootBoxEntries, savedRoot);
        if (index >= 0) {
            result.selectedRoot = index;
            result.rootBoxText = selection.rootBoxEntries[static_cast<std::size_t>(index)];
            selection.listedRoot = savedRoot;
        }
    }
    selection.dataRoot = savedRoot.empty() ? selection.listedRoot : savedRoot;

    selection.outputDir = platform::AppendBackslash(Token(variable, ";", 1)) + "PRENOS";
    platform::CreateDirectories(selection.outputDir);
    session.settings.Dest = selection.outputDir;

    selection.userList = ListUserDirectories(selection.listedRoot);
    if (savedUser.empty())
        savedUser = selection.userList.front();
    result.selectedUser = IndexIgnoringCase(selection.userList, savedUser);
    selection.userDir = savedUser;
    return result;
}

} // namespace qx
