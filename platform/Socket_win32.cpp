// The IPv4 connection over Winsock, started once per process. The socket is non-blocking;
// every wait is a select() of one slice, so the idle callback runs between slices.
#include "platform/Socket.h"

#include "text/Error.h"

#include <mutex>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/WideText_win32.h" // after winsock2.h, which must come before windows.h

namespace qx::platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

void StartWinsock() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data{};
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw Error("Socket error: Winsock could not be started.");
    });
}

SOCKET Handle(int fd) {
    return static_cast<SOCKET>(static_cast<unsigned int>(fd));
}

bool IsClosedByPeer(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN || error == WSAENOTCONN;
}

bool IsPending(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS || error == WSAEINTR;
}

} // namespace

Socket::Socket() {
    StartWinsock();
}

bool Socket::waitFor(Wait what, std::chrono::milliseconds timeout) {
    const auto deadline = SteadyClock::now() + timeout;
    for (;;) {
        auto slice = kSlice;
        if (timeout.count() > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
            if (left.count() <= 0)
                return false;
            slice = std::min(slice, left);
        }
        fd_set ready;
        fd_set failed; // a failed connect shows here, not as writable
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(Handle(fd_), &ready);
        FD_SET(Handle(fd_), &failed);
        timeval wait{0, static_cast<long>(slice.count() * 1000)};
        const int rc =
            ::select(0, what == Wait::Read ? &ready : nullptr, what == Wait::Write ? &ready : nullptr, &failed, &wait);
        if (rc > 0)
            return true; // ready, or an error the next call reports
        if (rc == SOCKET_ERROR)
            throw Error("Socket error: " + SystemErrorText(WSAGetLastError()));
        runIdle();
    }
}

void Socket::connect(const std::string& host, std::uint16_t port) {
    close();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        throw Error("Host not found: " + host);

    int lastError = WSAECONNREFUSED;
    for (addrinfo* a = found; a; a = a->ai_next) {
        sockaddr_in address = *reinterpret_cast<sockaddr_in*>(a->ai_addr);
        address.sin_port = htons(port);
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        u_long nonBlocking = 1;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
        fd_ = static_cast<int>(s);
        int rc = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (rc != 0 && IsPending(WSAGetLastError())) {
            if (waitFor(Wait::Write, connectTimeout_)) {
                int len = sizeof lastError;
                lastError = 0;
                ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&lastError), &len);
            } else {
                lastError = WSAETIMEDOUT;
            }
            rc = lastError == 0 ? 0 : -1;
        } else if (rc != 0) {
            lastError = WSAGetLastError();
        }
        if (rc == 0) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            peerAddress_ = text;
            BOOL one = TRUE;
            ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
            ::freeaddrinfo(found);
            return;
        }
        ::closesocket(s);
        fd_ = -1;
    }
    ::freeaddrinfo(found);
    throw Error("Could not connect to " + host + ":" + std::to_string(port) + ": " + SystemErrorText(lastError));
}

void Socket::sendAll(const void* data, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const int n = ::send(Handle(fd_), bytes, static_cast<int>(std::min<std::size_t>(size, 1 << 20)), 0);
        if (n > 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        const int error = WSAGetLastError();
        if (IsPending(error)) {
            if (!waitFor(Wait::Write, sendTimeout_))
                throw Error("Write timed out.");
            continue;
        }
        if (IsClosedByPeer(error))
            throw Error("Connection closed by the peer.");
        throw Error("Socket error: " + SystemErrorText(error));
    }
}

std::size_t Socket::receive(void* buffer, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    for (;;) {
        const int n =
            ::recv(Handle(fd_), static_cast<char*>(buffer), static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        const int error = WSAGetLastError();
        if (IsPending(error)) {
            if (!waitFor(Wait::Read, receiveTimeout_))
                throw Error("Read timed out.");
            continue;
        }
        if (IsClosedByPeer(error))
            return 0;
        throw Error("Socket error: " + SystemErrorText(error));
    }
}

bool Socket::peerClosed() {
    if (fd_ < 0)
        return true;
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(Handle(fd_), &ready);
    timeval now{0, 0};
    if (::select(0, &ready, nullptr, nullptr, &now) <= 0)
        return false;
    char probe;
    const int n = ::recv(Handle(fd_), &probe, 1, MSG_PEEK);
    if (n == 0)
        return true;
    return n < 0 && !IsPending(WSAGetLastError());
}

void Socket::close() {
    if (fd_ < 0)
        return;
    ::shutdown(Handle(fd_), SD_SEND);
    ::closesocket(Handle(fd_));
    fd_ = -1;
    peerAddress_.clear();
}

} // namespace qx::platform
