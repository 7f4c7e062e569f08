#pragma once
// Mail for the user's own address goes through a mail program on the workstation: the
// external mailer "VorMail.exe" beside the executable (with an INI request file) when
// VOR_EXTMAIL asks for it, else the platform's mail client.
#include "session/OperatorInterface.h"
#include "session/Session.h"
#include "text/EightBitText.h"

#include <optional>
#include <string>

namespace qx {

// The archive to the `Email` address, as an attachment; a blank address is refused with a message.
void sendmail(const Session& session, OperatorInterface& ui, const std::string& email, const std::string& archivePath);

// Chooses the route; a refused hand-off to the mail client shows "E-mail ni bil poslan.".
void handoffmail(const TSessionSelection& selection, OperatorInterface& ui, const AnsiText& subject,
                 const std::optional<AnsiText>& body, const std::optional<AnsiText>& attachment,
                 const AnsiText& recipient);

// Writes the request file in the temporary folder, runs the external mailer with its path, waits
// for it and deletes the file. A refused INI write passes on as an error and keeps the file.
void runextmailer(const TSessionSelection& selection, const AnsiText& subject, const std::optional<AnsiText>& body,
                  const std::optional<AnsiText>& attachment, const AnsiText& recipient);

// Every carriage return becomes the three characters "#13".
AnsiText escapecr(const AnsiText& text);

} // namespace qx
