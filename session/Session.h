#pragma once
// The process-wide records, held in one place and passed to the logic that fills them.
#include "session/Accounts.h"
#include "session/RunValues.h"
#include "session/SessionSelection.h"
#include "session/UserSettings.h"
#include <string>

namespace qx {

// What the dispatch of the last run achieved, for callers that must tell the outcomes apart
// without reading the messages (the console program's exit status).
enum class DeliveryOutcome {
    None,                  // no dispatch happened (yet) in this run
    Failed,                // the upload failed, or there was nothing to deliver by
    Delivered,             // uploaded and the notice went out (or none was wanted), or handed off
    UploadedNoticeNotSent, // uploaded, but the service was not told
};

struct Session {
    TSessionSelection selection;
    TUserSettings settings;
    RunValues run;
    TFTPdata ftp;
    TSMTPdata smtp;
    std::string serviceNoticeAddress;                 // first line of the service's .mail file; emptied at each run
    bool runInProgress = false;                       // refuses a second run over the same work folder
    DeliveryOutcome delivery = DeliveryOutcome::None; // set by the dispatch; reset at each run
};

} // namespace qx
