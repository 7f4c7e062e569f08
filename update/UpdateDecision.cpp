#include "update/UpdateDecision.h"

#include "update/VersionNumber.h"

namespace qx::update {

UpdateOffer DecideUpdate(const AnsiText& informationText, const std::string& ownVersion, const TargetFolders& folders) {
    UpdateOffer offer;
    InformationFile file = ReadInformationFile(informationText);
    if (file.queue.empty() || !IsNewerVersion(file.version, ownVersion))
        return offer;
    // A redirect only opens its page in the browser; nothing of it is installed.
    bool installs = file.method != UpgradeMethod::Redirect;
    for (std::size_t i = 0; i < file.queue.size(); ++i) {
        std::optional<DownloadEntry> entry = ResolveDownloadEntry(file.queue[i], folders);
        const FileCheck& check = file.checks[i];
        if (!entry || (installs && (!check.size || check.sha256.empty())))
            return offer;
        entry->size = check.size.value_or(0);
        entry->sha256 = check.sha256;
        offer.entries.push_back(*entry);
    }
    offer.available = true;
    offer.message = file.message;
    offer.method = file.method;
    return offer;
}

} // namespace qx::update
