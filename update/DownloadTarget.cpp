#include "update/DownloadTarget.h"

#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ShellFolders.h"
#include "text/TextHelpers.h"

#include <utility>

namespace qx::update {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == platform::kPathSeparator)
        path.pop_back();
    return path;
}

// Paths in the information file are written for Windows; here they take the platform's separator.
std::string WithPlatformSeparators(std::string path) {
    for (char& c : path)
        if (c == '\\' || c == '/')
            c = platform::kPathSeparator;
    return path;
}

std::vector<std::pair<std::string, std::string>> Macros(const TargetFolders& f) {
    return {{"%current%", f.current},
            {"%desktop%", f.desktop},
            {"%mydocuments%", f.myDocuments},
            {"%mypictures%", f.myPictures},
            {"%appdata%", f.appData},
            {"%programfiles%", f.programFiles},
            {"%windows%", f.windows},
            {"%system%", f.system},
            {"%temp%", f.temp},
            {"%help%", f.help},
            {"%media%", f.media},
            {"%cursors%", f.cursors}};
}

// Replaces the macros without regard to case; `startsWithFolder` tells whether the result
// begins with a macro's folder (and so is a full path already).
// nullopt when a macro's folder is unknown on this machine.
std::optional<std::string> ExpandMacros(const std::string& path, const TargetFolders& folders, bool& startsWithFolder) {
    startsWithFolder = false;
    std::string out;
    for (std::size_t at = 0; at < path.size();) {
        bool replaced = false;
        for (const auto& [macro, folder] : Macros(folders)) {
            if (StartsWithIgnoringCase(std::string_view(path).substr(at), macro)) {
                if (folder.empty())
                    return std::nullopt;
                if (at == 0)
                    startsWithFolder = true;
                out += folder + platform::kPathSeparator;
                at += macro.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += path[at++];
    }
    return out;
}

bool ClimbsUpward(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(platform::kPathSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string CollapseSeparators(const std::string& path) {
    std::string out;
    for (char c : path)
        if (!(c == platform::kPathSeparator && !out.empty() && out.back() == c))
            out += c;
    return out;
}

} // namespace

std::optional<DownloadEntry> ResolveDownloadEntry(const std::string& entry, const TargetFolders& folders) {
    DownloadEntry result;
    std::size_t eq = entry.find('=');
    result.url = entry.substr(0, eq);
    std::string target = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
    result.namedTarget = !target.empty();
    if (target.empty()) {
        target = result.url.substr(result.url.rfind('/') + 1);
        if (target.empty())
            return std::nullopt;
    }
    bool startsWithFolder = false;
    std::optional<std::string> withFolders = ExpandMacros(target, folders, startsWithFolder);
    if (!withFolders)
        return std::nullopt;
    std::string expanded = WithPlatformSeparators(*withFolders);
    bool hasDrive = platform::kHasDriveLetters && expanded.size() > 2 && expanded[1] == ':';
    if (!startsWithFolder && !hasDrive)
        expanded = folders.current + platform::kPathSeparator + expanded;
    expanded = CollapseSeparators(expanded);
    if (ClimbsUpward(expanded) || expanded.back() == platform::kPathSeparator)
        return std::nullopt;
    result.target = expanded;
    return result;
}

std::string ProgramFolderFor(const std::string& executableFolder, const std::string& currentFolder) {
    std::string lower = platform::LowerCase(executableFolder);
    for (char& c : lower)
        if (c == '/')
            c = '\\';
    bool inVirtualStore = lower.find("\\appdata\\local\\virtualstore") != std::string::npos;
    return WithoutTrailingSeparator(inVirtualStore ? currentFolder : executableFolder);
}

TargetFolders MachineTargetFolders() {
    using platform::ShellFolder;
    TargetFolders f;
    f.current = ProgramFolderFor(platform::ExecutableFolder(), platform::CurrentFolder());
    f.temp = WithoutTrailingSeparator(platform::TempFolder());
    f.desktop = platform::ShellFolderPath(ShellFolder::Desktop);
    f.myDocuments = platform::ShellFolderPath(ShellFolder::MyDocuments);
    f.myPictures = platform::ShellFolderPath(ShellFolder::MyPictures);
    f.appData = platform::ShellFolderPath(ShellFolder::AppData);
    f.programFiles = platform::ShellFolderPath(ShellFolder::ProgramFiles);
    f.windows = platform::ShellFolderPath(ShellFolder::Windows);
    f.system = platform::ShellFolderPath(ShellFolder::System);
    f.help = platform::ShellFolderPath(ShellFolder::Help);
    f.media = platform::ShellFolderPath(ShellFolder::Media);
    f.cursors = platform::ShellFolderPath(ShellFolder::Cursors);
    return f;
}

} // namespace qx::update
