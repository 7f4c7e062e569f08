#include "platform/Socket.h"

#include "app/Error.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace qx::platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Winsock is started once for the process and left running until it ends.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started)
        throw Error("Socket error: Winsock could not be started");
}

bool IsClosedByPeer(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN || error == WSAENOTCONN;
}

std::string SystemText(int error) {
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.'))
        text[--n] = '\0';
    return n > 0 ? std::string(text) : "Socket Error # " + std::to_string(error);
}

SOCKET AsSocket(int fd) { return static_cast<SOCKET>(fd); }

} // namespace

Socket::Socket() = default;

Socket::~Socket() { close(); }

void Socket::runIdle() {
    if (idle_)
        idle_();
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
        WSAPOLLFD p{AsSocket(fd_), static_cast<SHORT>(what == Wait::Read ? POLLRDNORM : POLLWRNORM), 0};
        int rc = WSAPoll(&p, 1, static_cast<INT>(slice.count()));
        if (rc > 0)
            return true;
        if (rc == SOCKET_ERROR)
            throw Error("Socket error: " + SystemText(WSAGetLastError()));
        runIdle();
    }
}

void Socket::connect(const std::string& host, std::uint16_t port) {
    close();
    StartWinsock();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
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
        ioctlsocket(s, FIONBIO, &nonBlocking);
        fd_ = static_cast<int>(s);
        int rc = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (rc != 0 && WSAGetLastError() == WSAEWOULDBLOCK) {
            // Writable means connected; a failed attempt shows up as an error on the socket.
            WSAPOLLFD p{s, POLLWRNORM, 0};
            for (;;) {
                int ready = WSAPoll(&p, 1, static_cast<INT>(kSlice.count()));
                if (ready != 0)
                    break;
                runIdle();
            }
            int len = sizeof lastError;
            lastError = 0;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&lastError), &len);
            rc = lastError == 0 ? 0 : -1;
        } else if (rc != 0) {
            lastError = WSAGetLastError();
        }
        if (rc == 0) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            peerAddress_ = text;
            BOOL one = TRUE;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
            freeaddrinfo(found);
            return;
        }
        closesocket(s);
        fd_ = -1;
    }
    freeaddrinfo(found);
    throw Error("Could not connect to " + host + ":" + std::to_string(port) + ": " + SystemText(lastError));
}

void Socket::sendAll(const void* data, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
        int n = ::send(AsSocket(fd_), bytes, chunk, 0);
        if (n > 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
            if (!waitFor(Wait::Write, sendTimeout_))
                throw Error("Write timed out.");
            continue;
        }
        if (IsClosedByPeer(error))
            throw Error("Connection closed by the peer.");
        throw Error("Socket error: " + SystemText(error));
    }
}

std::size_t Socket::receive(void* buffer, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    for (;;) {
        int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
        int n = ::recv(AsSocket(fd_), static_cast<char*>(buffer), chunk, 0);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
            if (!waitFor(Wait::Read, receiveTimeout_))
                throw Error("Read timed out.");
            continue;
        }
        if (IsClosedByPeer(error))
            return 0;
        throw Error("Socket error: " + SystemText(error));
    }
}

bool Socket::waitReadable(std::chrono::milliseconds timeout) {
    if (fd_ < 0)
        return false;
    return waitFor(Wait::Read, std::max(timeout, std::chrono::milliseconds(1)));
}

bool Socket::peerClosed() {
    if (fd_ < 0)
        return true;
    WSAPOLLFD p{AsSocket(fd_), POLLRDNORM, 0};
    if (WSAPoll(&p, 1, 0) <= 0)
        return false;
    if (p.revents & (POLLHUP | POLLERR))
        return true;
    char probe;
    int n = ::recv(AsSocket(fd_), &probe, 1, MSG_PEEK);
    if (n == 0)
        return true;
    return n < 0 && WSAGetLastError() != WSAEWOULDBLOCK;
}

void Socket::close() {
    if (fd_ < 0)
        return;
    ::shutdown(AsSocket(fd_), SD_SEND);
    closesocket(AsSocket(fd_));
    fd_ = -1;
    peerAddress_.clear();
}

} // namespace qx::platform
