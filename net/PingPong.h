#pragma once
// The line-protocol core that FTP and SMTP share: send a command line, read the reply
// (multi-line replies included) within the reply time-out, check it against the codes a
// step accepts. The error of a refused command carries the server's reply text unchanged.
// Commands and replies are bytes; the protocol above chooses their text encoding.
#include "net/Connection.h"
#include "net/LineReader.h"
#include "net/Reply.h"

#include <chrono>
#include <initializer_list>
#include <string>

namespace qx::net {

class PingPong {
public:
    explicit PingPong(Connection& connection);

    // The longest wait for one whole reply; zero (the default) waits without limit.
    // A reply that does not complete in time throws qx::Error("Read timed out.").
    void setReplyTimeout(std::chrono::milliseconds timeout) { replyTimeout_ = timeout; }
    std::chrono::milliseconds replyTimeout() const { return replyTimeout_; }

    // Sends `line` followed by CR LF. A line holding CR, LF or NUL is refused with qx::Error
    // before anything of it is sent.
    void sendLine(const std::string& line);
    // Reads one reply. Throws qx::Error when the connection closes first
    // ("Connection closed by the server."), on a time-out, or on a malformed reply.
    Reply readReply();
    // Sends and reads the reply, whatever its code.
    Reply command(const std::string& line);
    // Sends and reads; throws qx::Error(reply.text()) unless the code is one of `accepted`.
    Reply command(const std::string& line, std::initializer_list<int> accepted);
    // Throws qx::Error(reply.text()) unless the code is one of `accepted`.
    static void require(const Reply& reply, std::initializer_list<int> accepted);

    // True when a reply starts to arrive (or the connection closes) within `timeout`.
    bool replyPending(std::chrono::milliseconds timeout);

    // Drops what was read ahead, for a new connection on the same Connection object.
    void reset() { reader_.discardBuffered(); }
    // Switches the connection to TLS (STARTTLS); what was read ahead in plain text is dropped.
    void startTls(const TlsSettings& settings);

    Connection& connection() { return connection_; }

private:
    // Reads through the connection with the remaining time of the current reply's deadline.
    class DeadlineStream : public ByteStream {
    public:
        explicit DeadlineStream(Connection& connection) : connection_(connection) {}
        void setDeadline(std::chrono::steady_clock::time_point deadline, bool active);
        std::size_t readSome(char* buffer, std::size_t size) override;
        void writeAll(const char* data, std::size_t size) override { connection_.writeAll(data, size); }

    private:
        Connection& connection_;
        std::chrono::steady_clock::time_point deadline_{};
        bool active_ = false;
    };

    Connection& connection_;
    DeadlineStream stream_;
    LineReader reader_;
    std::chrono::milliseconds replyTimeout_{0};
};

} // namespace qx::net
