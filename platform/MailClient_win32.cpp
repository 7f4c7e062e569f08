// Simple MAPI: MAPI32.DLL is loaded for one hand-off and unloaded after it, and
// MAPISendMail shows the mail program's compose window with everything filled in.
#include "platform/MailClient.h"

#include <string>
#include <windows.h>

namespace qx::platform {

namespace {

// The Simple MAPI structures (ANSI), as the platform's MAPI.H declares them.
struct MapiRecipient {
    ULONG reserved;
    ULONG recipientClass;
    LPSTR name;
    LPSTR address;
    ULONG entryIdSize;
    LPVOID entryId;
};

struct MapiFile {
    ULONG reserved;
    ULONG flags;
    ULONG position;
    LPSTR pathName;
    LPSTR fileName;
    LPVOID fileType;
};

struct MapiMessage {
    ULONG reserved;
    LPSTR subject;
    LPSTR noteText;
    LPSTR messageType;
    LPSTR dateReceived;
    LPSTR conversationId;
    ULONG flags;
    MapiRecipient* originator;
    ULONG recipientCount;
    MapiRecipient* recipients;
    ULONG fileCount;
    MapiFile* files;
};

using MapiSendMail = ULONG(WINAPI*)(ULONG_PTR session, ULONG_PTR uiParam, MapiMessage* message, ULONG flags,
                                    ULONG reserved);

constexpr ULONG kMapiTo = 1;
constexpr ULONG kMapiLogonUi = 0x1;
constexpr ULONG kMapiDialog = 0x8;
constexpr ULONG kSuccess = 0;

char* Text(const AnsiText& text) {
    return const_cast<char*>(text.bytes.c_str());
}

} // namespace

bool SendWithMailClient(const MailClientMessage& message) {
    std::string address = "SMTP:" + message.recipient.bytes;
    MapiRecipient recipient{0, kMapiTo, Text(message.recipient), address.data(), 0, nullptr};
    MapiFile attachment{0, 0, static_cast<ULONG>(-1), nullptr, nullptr, nullptr};
    if (message.attachmentPath)
        attachment.pathName = Text(*message.attachmentPath);

    MapiMessage mapiMessage{};
    mapiMessage.subject = Text(message.subject);
    mapiMessage.noteText = message.body ? Text(*message.body) : nullptr;
    mapiMessage.recipientCount = 1;
    mapiMessage.recipients = &recipient;
    mapiMessage.fileCount = message.attachmentPath ? 1 : 0;
    mapiMessage.files = message.attachmentPath ? &attachment : nullptr;

    HMODULE library = LoadLibraryW(L"MAPI32.DLL");
    if (!library)
        return false;
    bool sent = false;
    if (auto send = reinterpret_cast<MapiSendMail>(GetProcAddress(library, "MAPISendMail"))) {
        const ULONG_PTR parent = reinterpret_cast<ULONG_PTR>(GetActiveWindow());
        sent = send(0, parent, &mapiMessage, kMapiLogonUi | kMapiDialog, 0) == kSuccess;
    }
    FreeLibrary(library);
    return sent;
}

} // namespace qx::platform
