#pragma once
// Deciding, once the information file has arrived, whether an update is offered.
#include "text/EightBitText.h"
#include "update/DownloadTarget.h"
#include "update/InformationFile.h"

#include <string>
#include <vector>

namespace qx::update {

struct UpdateOffer {
    bool available = false;
    std::vector<DownloadEntry> entries;
    std::string message; // #message, UTF-8
    UpgradeMethod method = UpgradeMethod::SelfUpgrade;
};

// Available when #version is newer than `ownVersion` and the queue holds at least one entry.
// A queue with an entry we refuse (a target climbing with "..", or a file to download without
// its size and SHA-256) offers nothing at all: a partial upgrade would leave the program
// inconsistent. The text must be one whose signature has been checked.
UpdateOffer DecideUpdate(const AnsiText& informationText, const std::string& ownVersion, const TargetFolders& folders);

} // namespace qx::update
