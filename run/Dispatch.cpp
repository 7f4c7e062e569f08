#include "run/Dispatch.h"

#include "delivery/FtpUpload.h"
#include "delivery/MailHandoff.h"
#include "delivery/Notice.h"

namespace qx {

std::string RemoteArchiveName(const Session& session) {
    return session.run.taxNumber + session.settings.ID + ".zip";
}

void Dispatch(Session& session, OperatorInterface& ui, const std::string& archivePath) {
    const TUserSettings& settings = session.settings;
    bool success = false;
    session.delivery = DeliveryOutcome::Failed;
    if (settings.FTP && !settings.Servis.empty()) {
        success = UploadArchive(session, ui, settings.Servis, archivePath, RemoteArchiveName(session));
        if (success)
            session.delivery = !settings.Message || sendmessage(session, ui, settings.Email)
                                   ? DeliveryOutcome::Delivered
                                   : DeliveryOutcome::UploadedNoticeNotSent;
    } else if (settings.Mail) {
        // The hand-off reports its own failures; the transfer counts as done once it returns.
        sendmail(session, ui, settings.Email, archivePath);
        success = true;
        session.delivery = DeliveryOutcome::Delivered;
    }
    ui.showMessage(success ? "Prepis podatkov je uspešno končan." : "Prepis podatkov ni bil uspešen!");
}

} // namespace qx
