#include "delivery/MailHandoff.h"

#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "platform/MailClient.h"
#include "platform/Process.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

namespace qx {

void sendmail(const Session& session, OperatorInterface& ui, const std::string& email, const std::string& archivePath) {
    const TSessionSelection& selection = session.selection;
    if (TrimBoth(platform::ToAnsi(email)).bytes.empty()) {
        ui.showMessage("Elektronski naslov za pošiljanje podatkov ni podan.");
        return;
    }
    handoffmail(selection, ui, platform::ToAnsi("Podatki od " + selection.userDir), std::nullopt,
                platform::ToAnsi(archivePath), platform::ToAnsi(email));
}

void handoffmail(const TSessionSelection& selection, OperatorInterface& ui, const AnsiText& subject,
                 const std::optional<AnsiText>& body, const std::optional<AnsiText>& attachment,
                 const AnsiText& recipient) {
    if (selection.externalMailer && platform::IsExistingFile(selection.mailerExe)) {
        runextmailer(selection, subject, body, attachment, recipient);
        return;
    }
    if (!platform::SendWithMailClient({subject, body, attachment, recipient}))
        ui.showMessage("E-mail ni bil poslan.");
}

void runextmailer(const TSessionSelection& selection, const AnsiText& subject, const std::optional<AnsiText>& body,
                  const std::optional<AnsiText>& attachment, const AnsiText& recipient) {
    const std::string folder = platform::TempFolder();
    const std::string request = platform::CreateUniqueTempFile(folder);
    // Without a request file the mailer would have nothing to read.
    if (request.empty())
        throw Error("Unable to create a temporary file in " + folder, ErrorKind::InOutError);

    const bool attached = attachment && platform::IsExistingFile(platform::FromAnsi(*attachment));
    platform::IniWriteString(request, "setup", "prejemnik", recipient);
    platform::IniWriteString(request, "setup", "predmet", subject);
    platform::IniWriteString(request, "setup", "sporocilo", body ? escapecr(*body) : AnsiText());
    platform::IniWriteString(request, "setup", "steviloprilog", AnsiText(attached ? "1" : "0"));
    if (attached)
        platform::IniWriteString(request, "setup", "priloga1", *attachment);

    // The exit code means nothing to us; the mailer reports its own failures.
    platform::RunAndWait(selection.mailerExe, {request});
    platform::DeleteFilePath(request);
}

AnsiText escapecr(const AnsiText& text) {
    std::string out;
    out.reserve(text.bytes.size());
    for (char c : text.bytes) {
        if (c == '\r')
            out += "#13";
        else
            out += c;
    }
    return AnsiText(out);
}

} // namespace qx
