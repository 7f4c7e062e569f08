#include "app/qt/UpdateOffer.h"

#include "app/qt/MessageBox.h"
#include "app/qt/UpgradeController.h"
#include "update/UpgradeTexts.h"

namespace qx::update {

using widgets::MessageBox;

void OfferUpdate(QWidget* mainWindow) {
    auto* component = new UpgradeController(mainWindow, MachineUpgradeSetup(mainWindow));
    OfferUpdate(mainWindow, *component);
}

void OfferUpdate(QWidget* mainWindow, UpgradeController& component) {
    if (!component.checkForUpdate())
        return;
    if (MessageBox::askYesNo(mainWindow, MessageBox::Icon::Warning, texts::kOfferTitle, texts::kOfferText) !=
        MessageBox::Answer::Yes)
        return;
    component.startUpgrade();
}

} // namespace qx::update
