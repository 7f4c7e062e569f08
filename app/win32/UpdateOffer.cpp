#include "app/win32/UpdateOffer.h"

#include "app/win32/MessageBoxes.h"
#include "app/win32/UpgradeComponent.h"
#include "update/UpgradeTexts.h"

namespace qx::win32 {

void OfferUpdate(HWND mainWindow) {
    UpgradeComponent component(mainWindow, update::MachineUpgradeSetup([] { PostQuitMessage(0); }));
    if (!component.checkForUpdate())
        return;
    if (MessageBoxes::askYesNo(mainWindow, MessageBoxes::Icon::Warning, update::texts::kOfferTitle,
                               update::texts::kOfferText) != MessageBoxes::Answer::Yes)
        return;
    // The full form fetches the information again, as the component always does.
    component.upgrade();
}

} // namespace qx::win32
