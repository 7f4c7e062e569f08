#pragma once
// One client connection as a stack of layers: the TCP socket, and TLS on top of it once
// switched on, at once after connecting (implicit TLS) or later (STARTTLS). Protocol code
// reads and writes through ByteStream and never learns which layer carries the bytes.
#include "net/ByteStream.h"
#include "net/TlsLayer.h"
#include "platform/Socket.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace qx::net {

class Connection : public ByteStream {
public:
    Connection() = default;
    ~Connection() override; // closes
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Passed to the socket: runs between wait slices (the window processes its messages there).
    void setIdleCallback(platform::Socket::IdleCallback idle) { socket_.setIdleCallback(std::move(idle)); }
    // Per-call limits of the socket; zero means none.
    void setSendTimeout(std::chrono::milliseconds timeout) { socket_.setSendTimeout(timeout); }
    void setReceiveTimeout(std::chrono::milliseconds timeout) { socket_.setReceiveTimeout(timeout); }
    std::chrono::milliseconds receiveTimeout() const { return socket_.receiveTimeout(); }
    void setConnectTimeout(std::chrono::milliseconds timeout) { socket_.setConnectTimeout(timeout); }

    // Opens the TCP connection in plain text (see platform::Socket::connect for the errors).
    void connect(const std::string& host, std::uint16_t port);
    // Switches TLS on over the open connection: the handshake runs now. Throws qx::Error
    // ("SSL negotiation failed: ...") and leaves the connection in plain text on failure.
    void startTls(const TlsSettings& settings);
    bool tlsActive() const { return tls_ != nullptr; }
    // The negotiated TLS version name, empty in plain text.
    std::string tlsProtocol() const { return tls_ ? tls_->protocolName() : std::string(); }

    std::size_t readSome(char* buffer, std::size_t size) override;
    void writeAll(const char* data, std::size_t size) override;
    using ByteStream::writeAll;

    // Waits at most `timeout` for incoming data or a close; true when one is pending.
    bool waitReadable(std::chrono::milliseconds timeout) { return socket_.waitReadable(timeout); }
    // True when the peer has closed or reset the connection (nothing is consumed).
    bool peerClosed() { return socket_.peerClosed(); }
    // TLS close_notify when TLS is on, then the orderly TCP close. Safe to repeat.
    void close();
    bool isOpen() const { return socket_.isOpen(); }
    std::string peerAddress() const { return socket_.peerAddress(); }

private:
    platform::Socket socket_;
    std::unique_ptr<TlsLayer> tls_;
};

} // namespace qx::net
