#include "app/win32/UpdateOffer.h"

#include "app/win32/BackgroundJob.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/UpgradeWizard.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "update/FileDownload.h"
#include "update/UpdateDecision.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"
#include "update/VersionNumber.h"

namespace qx::win32 {
namespace {

namespace texts = update::texts;

// The information file and the decision on it; nothing offered when it did not arrive whole.
update::UpdateOffer CheckForUpdate(HWND owner, const update::TargetFolders& folders) {
    update::InformationFetch fetched;
    std::atomic<bool> cancel{false};
    RunWhileDispatching([&] { fetched = update::FetchInformationFile(update::InformationFileUrl(), cancel); });
    if (fetched.http.outcome == update::TransferOutcome::BrokenOff)
        MessageBoxes::error(owner, texts::kWizardCaption, texts::kConnectionLost);
    if (fetched.http.outcome != update::TransferOutcome::Complete)
        return {};
    return update::DecideUpdate(fetched.text, update::kOwnVersion, folders);
}

} // namespace

void OfferUpdate(HWND mainWindow) {
    update::DeleteLeftOverUpgrader(platform::TempFolder());
    const update::TargetFolders folders = update::MachineTargetFolders();
    if (!CheckForUpdate(mainWindow, folders).available)
        return;
    if (MessageBoxes::askYesNo(mainWindow, MessageBoxes::Icon::Warning, texts::kOfferTitle, texts::kOfferText) !=
        MessageBoxes::Answer::Yes)
        return;
    const std::string notes = folders.current + platform::kPathSeparator + "upgrade.txt";
    if (platform::IsExistingFile(notes))
        platform::DeleteFilePath(notes);
    // The full form fetches the information again, as the component always does.
    const update::UpdateOffer offer = CheckForUpdate(mainWindow, folders);
    if (offer.available)
        RunUpgrade(mainWindow, offer);
}

} // namespace qx::win32
