#pragma once
// An IPv4 TCP connection. Every wait (connect, send, receive) polls in short slices and
// calls the idle callback between slices, so the window keeps processing its messages
// while the program waits on the network. Failures throw qx::Error with an English text.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qx::platform {

class Socket {
public:
    using IdleCallback = std::function<void()>;

    // How long one wait slice lasts before the idle callback runs.
    static constexpr std::chrono::milliseconds kSlice{50};
    // A host that does not answer the connection request is given up on after this. curl
    // waits 300 s; a window nobody can use for five minutes looks hung, and a working
    // line answers in well under a second.
    static constexpr std::chrono::milliseconds kDefaultConnectTimeout{30000};

    Socket();
    ~Socket(); // closes the connection
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Called between wait slices; may be empty.
    void setIdleCallback(IdleCallback idle) { idle_ = std::move(idle); }
    // Limits for one send or one receive call; zero means no limit (the default).
    void setSendTimeout(std::chrono::milliseconds timeout) { sendTimeout_ = timeout; }
    void setReceiveTimeout(std::chrono::milliseconds timeout) { receiveTimeout_ = timeout; }
    std::chrono::milliseconds receiveTimeout() const { return receiveTimeout_; }
    // Limit of one connect(); zero means the platform's own.
    void setConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }

    // Resolves `host` (a name or a dotted IPv4 address) and connects within the connect time-out.
    // Throws "Host not found: <host>" or "Could not connect to <host>:<port>: <reason>"
    // ("Connection timed out" when the time-out passed).
    void connect(const std::string& host, std::uint16_t port);

    // Sends every byte. Throws "Write timed out." after the send time-out without progress,
    // "Connection closed by the peer." when the peer has gone, or a text naming the system's error.
    void sendAll(const void* data, std::size_t size);

    // Waits for data and returns 1..size bytes, or 0 when the peer closed the connection
    // (orderly close, reset or abort). Throws "Read timed out." after the receive time-out.
    std::size_t receive(void* buffer, std::size_t size);

    // Waits at most `timeout` for data or a close to be pending; true when one is.
    bool waitReadable(std::chrono::milliseconds timeout);

    // True when the peer has closed (or reset) the connection: looks without consuming data.
    bool peerClosed();

    // Orderly close: our side's send half is shut down, then the socket released. Safe to repeat.
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // The peer's dotted IPv4 address; empty when not connected.
    std::string peerAddress() const { return peerAddress_; }

private:
    enum class Wait { Read, Write };
    // Waits for the socket to become ready; false when `timeout` (zero: none) passed first.
    bool waitFor(Wait what, std::chrono::milliseconds timeout);
    void runIdle();

    int fd_ = -1;
    std::string peerAddress_;
    IdleCallback idle_;
    std::chrono::milliseconds sendTimeout_{0};
    std::chrono::milliseconds receiveTimeout_{0};
    std::chrono::milliseconds connectTimeout_ = kDefaultConnectTimeout;
};

} // namespace qx::platform
