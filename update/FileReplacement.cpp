#include "update/FileReplacement.h"

#include "platform/FileSystem.h"
#include "update/FileDownload.h"

namespace qx::update {

namespace {

std::string Downloaded(const std::string& target) {
    return target + kTemporarySuffix;
}

std::string Backup(const std::string& target) {
    return target + kBackupSuffix;
}

// Undoes what was done: the new files go back to their ".uTMP" names, the old ones return.
void Restore(const std::vector<std::string>& placed, const std::vector<std::string>& backedUp) {
    for (const std::string& target : placed)
        platform::RenameReplacing(target, Downloaded(target));
    for (const std::string& target : backedUp)
        platform::RenameReplacing(Backup(target), target);
}

} // namespace

bool ReplaceAllOrNothing(const std::vector<std::string>& targets) {
    std::vector<std::string> backedUp, placed;
    bool complete = true;
    for (const std::string& target : targets) {
        if (!platform::IsExistingFile(Downloaded(target))) {
            complete = false;
            break;
        }
    }
    // A target in use (a program still running, a file open elsewhere) cannot be moved aside.
    for (std::size_t i = 0; complete && i < targets.size(); ++i) {
        const std::string& target = targets[i];
        if (!platform::PathExists(target))
            continue;
        if (platform::PathExists(Backup(target)))
            platform::DeleteFilePath(Backup(target));
        complete = platform::RenameReplacing(target, Backup(target));
        if (complete)
            backedUp.push_back(target);
    }
    for (std::size_t i = 0; complete && i < targets.size(); ++i) {
        complete = platform::RenameReplacing(Downloaded(targets[i]), targets[i]);
        if (complete)
            placed.push_back(targets[i]);
    }
    if (!complete) {
        Restore(placed, backedUp);
        for (const std::string& target : targets)
            if (platform::IsExistingFile(Downloaded(target)))
                platform::DeleteFilePath(Downloaded(target));
        return false;
    }
    for (const std::string& target : placed) {
        // In place, the file is an ordinary one again.
        platform::SetAttributeBits(target, platform::kAttrArchive);
        if (platform::PathExists(Backup(target)))
            platform::DeleteFilePath(Backup(target));
    }
    return true;
}

} // namespace qx::update
