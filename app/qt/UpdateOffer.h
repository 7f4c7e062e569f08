#pragma once
// The update offer, the first step of the main window's start-up: check, ask the operator,
// and start the upgrade when the answer is yes. Start-up always goes on afterwards.
class QWidget;

namespace qx::update {

class UpgradeController;

// Creates the update component as a child of the main window and makes the offer.
void OfferUpdate(QWidget* mainWindow);
// The offer made with a component already created (tests configure their own).
void OfferUpdate(QWidget* mainWindow, UpgradeController& component);

} // namespace qx::update
