#include "update/UpdateDecision.h"

#include "update/VersionNumber.h"

namespace qx::update {

UpdateOffer DecideUpdate(const AnsiText& informationText, const std::string& ownVersion, const TargetFolders& folders) {
    UpdateOffer offer;
    InformationFile file = ReadInformationFile(informationText);
    if (file.queue.empty() || !IsNewerVersion(file.version, ownVersion))
        return offer;
    for (const std::string& queued : file.queue) {
        std::optional<DownloadEntry> entry = ResolveDownloadEntry(queued, folders);
        if (!entry)
            return offer;
        offer.entries.push_back(*entry);
    }
    offer.available = true;
    offer.message = file.message;
    offer.method = file.method;
    return offer;
}

} // namespace qx::update
