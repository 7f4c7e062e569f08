#pragma once
// The process-wide records, held in one place and passed to the logic that fills them.
#include "app/SessionSelection.h"
#include "delivery/Accounts.h"
#include "extract/RunValues.h"
#include "settings/UserSettings.h"
#include <string>

namespace qx {

struct Session {
    TSessionSelection selection;
    TUserSettings settings;
    RunValues run;
    TFTPdata ftp;
    TSMTPdata smtp;
    std::string serviceNoticeAddress; // first line of the service's .mail file; emptied at each run
    bool runInProgress = false;       // refuses a second run over the same work folder
};

} // namespace qx
