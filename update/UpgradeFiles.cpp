#include "update/UpgradeFiles.h"

#include "platform/CodePage.h"
#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "platform/ProcessControl.h"
#include "update/FileDownload.h"
#include "update/FileReplacement.h"

#include <set>

namespace qx::update {

namespace {

std::string WithSeparator(const std::string& folder) {
    return !folder.empty() && folder.back() == platform::kPathSeparator ? folder : folder + platform::kPathSeparator;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

void DeleteLeftOverUpgrader(const std::string& tempFolder) {
    std::string path = WithSeparator(tempFolder) + kUpgraderFileName;
    if (platform::IsExistingFile(path))
        platform::DeleteFilePath(path);
}

void DeleteTemporaryDownloads(const std::string& programFolder, const std::vector<DownloadEntry>& entries) {
    for (const DownloadEntry& entry : entries)
        if (platform::IsExistingFile(entry.target + kTemporarySuffix))
            platform::DeleteFilePath(entry.target + kTemporarySuffix);
    for (const platform::DirEntry& found : platform::ListDirectory(programFolder, std::string("*") + kTemporarySuffix))
        if (!(found.attributes & platform::kAttrDirectory))
            platform::DeleteFilePath(WithSeparator(programFolder) + found.name);
}

std::vector<std::string> UpgraderArguments(const std::string& programPath, UpgradeMethod method) {
    char digit = method == UpgradeMethod::ExternalSetup ? '1' : '0';
    return {programPath, std::string("+") + kRestartParameters + digit};
}

bool StartUpgrader(const std::string& upgraderBytes, const std::string& tempFolder,
                   const std::vector<DownloadEntry>& entries, const std::string& programPath, UpgradeMethod method) {
    std::string upgrader = WithSeparator(tempFolder) + kUpgraderFileName;
    std::string queue;
    for (const DownloadEntry& entry : entries)
        if (entry.namedTarget)
            queue += platform::ToAnsi(entry.target).bytes + "\r\n";
    if (upgraderBytes.empty() || !platform::WriteFileBytes(upgrader, upgraderBytes) ||
        !platform::MarkExecutable(upgrader))
        return false;
    if (!platform::WriteFileBytes(WithSeparator(tempFolder) + kUpgraderQueueFileName, queue))
        return false;
    return platform::StartProgramAt(upgrader, UpgraderArguments(programPath, method));
}

std::optional<UpgraderRequest> ReadUpgraderArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2 || arguments.back().size() < 2 || arguments.back()[0] != '+')
        return std::nullopt;
    UpgraderRequest request;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        request.programPath += (i > 0 ? " " : "") + arguments[i];
    request.restartParameters = arguments.back().substr(1);
    request.methodDigit = request.restartParameters.back();
    return request;
}

std::vector<std::string> QueueFileTargets(const AnsiText& bytes) {
    std::vector<std::string> targets;
    std::set<std::string> seen;
    std::string queue = platform::FromAnsi(bytes) + "\n";
    for (std::size_t start = 0, end; (end = queue.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string target = queue.substr(start, end - start);
        if (!target.empty() && target.back() == '\r')
            target.pop_back();
        if (!target.empty() && seen.insert(target).second)
            targets.push_back(target);
    }
    return targets;
}

std::optional<std::vector<std::string>> InstallDownloadedFiles(const std::string& queueFile,
                                                               const std::string& programFolder) {
    std::vector<std::string> targets;
    std::set<std::string> seen;
    auto add = [&](const std::string& target) {
        if (seen.insert(target).second && platform::IsExistingFile(target + kTemporarySuffix))
            targets.push_back(target);
    };
    for (const std::string& target : QueueFileTargets(AnsiText(platform::ReadFileBytes(queueFile).value_or(""))))
        add(target);
    for (const platform::DirEntry& found :
         platform::ListDirectory(programFolder, std::string("*") + kTemporarySuffix)) {
        if (!(found.attributes & platform::kAttrDirectory) && EndsWith(found.name, kTemporarySuffix))
            add(WithSeparator(programFolder) +
                found.name.substr(0, found.name.size() - std::string(kTemporarySuffix).size()));
    }
    if (!ReplaceAllOrNothing(targets))
        return std::nullopt;
    return targets;
}

} // namespace qx::update
