#include "net/SmtpClient.h"

#include "net/MessageEncoder.h"
#include "net/MimeText.h"
#include "net/SmtpCapabilities.h"
#include "platform/HostName.h"
#include "text/Error.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"

#include <algorithm>

namespace qx::net {

namespace {

bool IsStartTls(SmtpTlsMode mode) {
    return mode == SmtpTlsMode::StartTlsWhenOffered || mode == SmtpTlsMode::StartTlsRequired;
}

// One byte per character: codes up to 255 as they are, anything else "?".
std::string SingleBytes(const std::string& text, unsigned highest) {
    std::string out;
    for (const CodePoint& point : DecodeUtf8(text))
        out += point.value <= highest ? static_cast<char>(point.value) : '?';
    return out;
}

} // namespace

SmtpClient::SmtpClient() : greetingName_(platform::LocalHostName()) {}

SmtpClient::~SmtpClient() {
    disconnect();
}

void SmtpClient::setTlsMode(SmtpTlsMode mode) {
    if (mode != SmtpTlsMode::None && !tls_)
        throw Error("A TLS channel must be attached before a TLS mode is set.", ErrorKind::Smtp);
    if (mode != tlsMode_) {
        if (mode == SmtpTlsMode::Implicit && port_ == kPlainPort)
            port_ = kImplicitTlsPort;
        else if (mode != SmtpTlsMode::Implicit && port_ == kImplicitTlsPort)
            port_ = kPlainPort;
    }
    tlsMode_ = mode;
    if (IsStartTls(mode))
        useEhlo_ = true;
}

bool SmtpClient::connected() const {
    return connection_ && connection_->isOpen();
}

void SmtpClient::connect() {
    if (connected())
        throw Error("Already connected.", ErrorKind::Smtp);
    if (host_.empty())
        throw Error("A Host is required", ErrorKind::Smtp);
    if (port_ == 0)
        throw Error("A Port is required", ErrorKind::Smtp);
    if (port_ < 0 || port_ > 65535)
        throw Error("Invalid port " + std::to_string(port_), ErrorKind::Smtp);
    connection_ = std::make_unique<Connection>();
    connection_->setIdleCallback(idle_);
    // Bounds every read, the TLS handshakes included; a reply as a whole is bounded by the protocol.
    connection_->setReceiveTimeout(replyTimeout_);
    connection_->setSendTimeout(replyTimeout_);
    protocol_ = std::make_unique<PingPong>(*connection_);
    protocol_->setReplyTimeout(replyTimeout_);
    authenticated_ = false;
    capabilities_.clear();
    try {
        try {
            connection_->connect(host_, static_cast<std::uint16_t>(port_));
        } catch (const Error& e) {
            throw Error(e.what(), ErrorKind::Socket);
        }
        if (tlsMode_ == SmtpTlsMode::Implicit) {
            try {
                connection_->startTls(*tls_);
            } catch (const Error& e) {
                throw Error(e.what(), ErrorKind::Tls);
            }
        }
        Reply greeting = protocol_->readReply();
        if (!greeting.is(220))
            throw Error(greeting.text(), ErrorKind::SmtpReply);
        greet();
    } catch (...) {
        closeWithoutQuit();
        throw;
    }
}

// EHLO, or HELO when EHLO is off or refused; EHLO's lines after the first are the capabilities.
void SmtpClient::greet() {
    capabilities_.clear();
    if (useEhlo_) {
        Reply reply = protocol_->command(SingleBytes("EHLO " + greetingName_, 127));
        if (reply.is(250)) {
            capabilities_ = CapabilityLines(reply.lines);
            return;
        }
    }
    command("HELO " + greetingName_, {250});
}

void SmtpClient::send(const MailMessage& message) {
    if (!connected())
        throw Error("Not connected.", ErrorKind::Smtp);
    startTlsIfDue();
    authenticateIfDue();
    transaction(message);
}

void SmtpClient::startTlsIfDue() {
    if (!IsStartTls(tlsMode_) || connection_->tlsActive())
        return;
    if (!offers("STARTTLS")) {
        if (tlsMode_ == SmtpTlsMode::StartTlsWhenOffered)
            return;
        quitAndClose();
        throw Error("SSL is not available on this server.", ErrorKind::Tls);
    }
    Reply reply = protocol_->command("STARTTLS");
    if (!reply.is(220)) {
        quitAndClose();
        throw Error("Start SSL negotiation command failed.", ErrorKind::Tls);
    }
    try {
        protocol_->startTls(*tls_);
    } catch (const Error&) {
        closeWithoutQuit();
        throw Error("SSL negotiation failed.", ErrorKind::Tls);
    }
    try {
        greet();
    } catch (...) {
        closeWithoutQuit();
        throw;
    }
}

// AUTH LOGIN (RFC 4954), once per connection, only when offered; otherwise the transaction
// goes on unauthenticated and the server decides.
void SmtpClient::authenticateIfDue() {
    if (authenticated_ || userName_.empty())
        return;
    auto mechanisms = authMechanisms();
    if (std::find(mechanisms.begin(), mechanisms.end(), "LOGIN") != mechanisms.end()) {
        command("AUTH LOGIN", {334});
        Reply reply = command(Base64Encode(SingleBytes(userName_, 255)), {334, 235});
        if (reply.is(334))
            command(Base64Encode(SingleBytes(password_, 255)), {235});
    }
    authenticated_ = true;
}

void SmtpClient::transaction(const MailMessage& message) {
    // Encoded first: a message that cannot be written starts no transaction.
    const std::string data = DotStuff(EncodeMessage(message));
    const std::string sender = Trim(message.sender.empty() ? message.from.address : message.sender);
    try {
        command("MAIL FROM:<" + sender + ">", {250});
        for (const auto& recipient : message.to)
            command("RCPT TO:<" + recipient.address + ">", {250, 251});
        command("DATA", {354});
        connection_->writeAll(data);
        command(".", {250});
    } catch (const Error& refusal) {
        if (refusal.kind() == ErrorKind::SmtpReply && connected()) {
            try {
                protocol_->command("RSET");
            } catch (const Error&) {
            }
        }
        throw;
    }
}

Reply SmtpClient::command(const std::string& line, std::initializer_list<int> accepted) {
    Reply reply = protocol_->command(SingleBytes(line, 127));
    if (std::find(accepted.begin(), accepted.end(), reply.code) == accepted.end())
        throw Error(reply.text(), ErrorKind::SmtpReply);
    return reply;
}

bool SmtpClient::offers(const std::string& capability) const {
    return OffersCapability(capabilities_, capability);
}

std::vector<std::string> SmtpClient::authMechanisms() const {
    return AuthMechanisms(capabilities_);
}

void SmtpClient::disconnect() {
    if (connected())
        quitAndClose();
    closeWithoutQuit();
    authenticated_ = false;
}

void SmtpClient::quitAndClose() {
    try {
        if (replyTimeout_.count() == 0 || replyTimeout_ > kQuitReplyTimeout)
            protocol_->setReplyTimeout(kQuitReplyTimeout);
        protocol_->command("QUIT");
    } catch (const Error&) {
    }
    closeWithoutQuit();
}

void SmtpClient::closeWithoutQuit() {
    if (connection_)
        connection_->close();
    protocol_.reset();
    connection_.reset();
}

} // namespace qx::net
