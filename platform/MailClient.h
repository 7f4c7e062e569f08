#pragma once
// The user's own mail program: Simple MAPI on Windows ("MAPI32.DLL", "MAPISendMail",
// compose window), xdg-email on POSIX. Texts are ANSI, as the hand-off passes them.
#include "text/EightBitText.h"
#include <optional>

namespace qx::platform {

struct MailClientMessage {
    AnsiText subject;
    std::optional<AnsiText> body;
    std::optional<AnsiText> attachmentPath;
    AnsiText recipient;
};

// True when the mail program took the message (MAPI returned success, xdg-email ended with 0).
bool SendWithMailClient(const MailClientMessage& message);

} // namespace qx::platform
