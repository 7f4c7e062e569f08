#pragma once
// The run behind "Začni": settles the settings, the output folder and the end date,
// fills the work folder with the selected tables, then packs, checks and dispatches.
#include "session/OperatorInterface.h"
#include "session/Session.h"

namespace qx {

// The start button. A second start while a run is going is refused with a message. Returns what
// the dispatch achieved (None when the run ended before it); a failure passes on as an error.
DeliveryOutcome StartTransfer(Session& session, OperatorInterface& ui);

// The settings dialog for the current user ("Nastavitve"); also opened by a run that finds no QX.INI.
void EditUserSettings(Session& session, OperatorInterface& ui);

// dataRoot + userDir + separator + "QX.INI".
std::string UserSettingsPath(const TSessionSelection& selection);

} // namespace qx
