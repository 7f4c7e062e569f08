#include "net/PingPong.h"

#include "net/CommandText.h"
#include "text/Error.h"

#include <algorithm>

namespace qx::net {

using SteadyClock = std::chrono::steady_clock;

void PingPong::DeadlineStream::setDeadline(SteadyClock::time_point deadline, bool active) {
    deadline_ = deadline;
    active_ = active;
}

std::size_t PingPong::DeadlineStream::readSome(char* buffer, std::size_t size) {
    if (!active_)
        return connection_.readSome(buffer, size);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - SteadyClock::now());
    if (left.count() <= 0)
        throw Error("Read timed out.");
    const auto previous = connection_.receiveTimeout();
    connection_.setReceiveTimeout(left);
    try {
        std::size_t n = connection_.readSome(buffer, size);
        connection_.setReceiveTimeout(previous);
        return n;
    } catch (...) {
        connection_.setReceiveTimeout(previous);
        throw;
    }
}

PingPong::PingPong(Connection& connection) : connection_(connection), stream_(connection), reader_(stream_) {}

void PingPong::sendLine(const std::string& line) {
    if (!IsSafeCommandText(line))
        throw Error("Command not sent: it contains a line break or a NUL character.");
    connection_.writeAll(line + "\r\n");
}

Reply PingPong::readReply() {
    stream_.setDeadline(SteadyClock::now() + replyTimeout_, replyTimeout_.count() > 0);
    ReplyParser parser;
    for (;;) {
        auto line = reader_.readLine(ReplyParser::kMaxLineLength);
        if (!line)
            throw Error("Connection closed by the server.");
        if (parser.addLine(*line))
            return parser.take();
    }
}

Reply PingPong::command(const std::string& line) {
    sendLine(line);
    return readReply();
}

Reply PingPong::command(const std::string& line, std::initializer_list<int> accepted) {
    Reply reply = command(line);
    require(reply, accepted);
    return reply;
}

void PingPong::require(const Reply& reply, std::initializer_list<int> accepted) {
    if (std::find(accepted.begin(), accepted.end(), reply.code) == accepted.end())
        throw Error(reply.text());
}

bool PingPong::replyPending(std::chrono::milliseconds timeout) {
    return reader_.hasBuffered() || connection_.waitReadable(timeout);
}

void PingPong::startTls(const TlsSettings& settings) {
    reader_.discardBuffered();
    connection_.startTls(settings);
}

} // namespace qx::net
