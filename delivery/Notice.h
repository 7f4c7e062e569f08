#pragma once
// The notice of a finished upload: a short note through the user's mail program when the
// `Email` setting holds an address, else an HTML message over SMTP with the service's own
// mail account to the service's notice address. Every outcome is a message box.
#include "net/SmtpClient.h"
#include "net/TlsLayer.h"
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace qx {

// `email` is the `Email` setting. Over SMTP the mail account is refetched first.
// True when the notice went out (over SMTP, or handed to the user's mail program).
bool sendmessage(Session& session, OperatorInterface& ui, const std::string& email);

// Sends the HTML notice over SMTP; empty recipients mean the service notice address.
// A `vrata` that is no integer raises "'<text>' is not a valid integer value" before any connection.
// True when the server accepted the message.
bool sendmailVortane(Session& session, OperatorInterface& ui, const std::string& recipients);

// The `sifriranje` and `ssl` codes of the mail account.
net::SmtpTlsMode TlsModeOf(std::int32_t sifriranje);
net::TlsVersion TlsVersionOf(std::int32_t ssl);

// Test hook: the longest wait for one SMTP reply (the client's default unless set).
void SetNoticeReplyTimeoutForTests(std::chrono::milliseconds timeout);

} // namespace qx
