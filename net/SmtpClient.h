#pragma once
// The SMTP client of the notice: one message per connection, plain text, implicit TLS or
// STARTTLS, AUTH LOGIN when the server offers it. Built on the shared line-protocol core;
// every refusal is raised as qx::Error carrying the server's reply text.
#include "net/Connection.h"
#include "net/MailMessage.h"
#include "net/PingPong.h"
#include "net/TlsLayer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx::net {

enum class SmtpTlsMode { None, Implicit, StartTlsWhenOffered, StartTlsRequired };

class SmtpClient {
public:
    static constexpr int kPlainPort = 25;
    static constexpr int kImplicitTlsPort = 465;
    // A server that stops answering would hold the window for ever; no reply takes longer.
    static constexpr std::chrono::seconds kDefaultReplyTimeout{120};
    // QUIT's answer is not needed; a silent server is not waited for long.
    static constexpr std::chrono::seconds kQuitReplyTimeout{10};

    SmtpClient();
    ~SmtpClient(); // disconnects
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    void setHost(const std::string& host) { host_ = host; }
    void setPort(int port) { port_ = port; }
    int port() const { return port_; }
    // AUTH LOGIN is used when a user name is set and the server offers it.
    void setUserName(const std::string& userName) { userName_ = userName; }
    void setPassword(const std::string& password) { password_ = password; }
    // Sent with EHLO or HELO; the local host name by default.
    void setGreetingName(const std::string& name) { greetingName_ = name; }
    void setUseEhlo(bool useEhlo) { useEhlo_ = useEhlo; }
    bool useEhlo() const { return useEhlo_; }
    // The longest wait for one reply; zero waits without limit.
    void setReplyTimeout(std::chrono::milliseconds timeout) { replyTimeout_ = timeout; }
    // Runs between the wait slices of the network (the window processes its messages there).
    void setIdleCallback(std::function<void()> idle) { idle_ = std::move(idle); }

    // The TLS channel must be attached before a TLS mode is set.
    void attachTls(const TlsSettings& settings) { tls_ = settings; }
    // Moves the plain port to the implicit-TLS port and back when the mode changes, and turns
    // EHLO on for the STARTTLS modes. Throws when a TLS mode is set without a channel.
    void setTlsMode(SmtpTlsMode mode);
    SmtpTlsMode tlsMode() const { return tlsMode_; }

    // Opens the connection (TLS at once in implicit mode), reads the greeting and greets.
    // On failure the connection is closed without QUIT and the error raised.
    void connect();
    // STARTTLS when due, AUTH LOGIN when due, then one mail transaction (RSET after a refusal).
    void send(const MailMessage& message);
    bool connected() const;
    // QUIT and close; a failing QUIT is ignored. Never raises.
    void disconnect();

    // The last successful EHLO reply's lines without codes, less the greeting line.
    const std::vector<std::string>& capabilities() const { return capabilities_; }
    bool tlsActive() const { return connection_ && connection_->tlsActive(); }

private:
    void greet();
    void startTlsIfDue();
    void authenticateIfDue();
    void transaction(const MailMessage& message);
    // Sends a command (ASCII only; anything else goes as "?") and checks its reply code.
    Reply command(const std::string& line, std::initializer_list<int> accepted);
    bool offers(const std::string& capability) const;
    std::vector<std::string> authMechanisms() const;
    void closeWithoutQuit();
    void quitAndClose();

    std::string host_;
    int port_ = kPlainPort;
    std::string userName_;
    std::string password_;
    std::string greetingName_;
    bool useEhlo_ = true;
    std::chrono::milliseconds replyTimeout_ = kDefaultReplyTimeout;
    std::function<void()> idle_;
    std::optional<TlsSettings> tls_;
    SmtpTlsMode tlsMode_ = SmtpTlsMode::None;

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<PingPong> protocol_;
    std::vector<std::string> capabilities_;
    bool authenticated_ = false;
};

} // namespace qx::net
