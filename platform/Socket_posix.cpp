#include "platform/Socket.h"

#include "text/Error.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qx::platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

bool IsClosedByPeer(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == EPIPE || error == ENOTCONN;
}

std::string SystemText(int error) {
    return std::strerror(error);
}

} // namespace

Socket::Socket() = default;

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
        pollfd p{fd_, static_cast<short>(what == Wait::Read ? POLLIN : POLLOUT), 0};
        int rc = ::poll(&p, 1, static_cast<int>(slice.count()));
        if (rc > 0)
            return true; // ready, or an error/hang-up the next call reports
        if (rc < 0 && errno != EINTR)
            throw Error("Socket error: " + SystemText(errno));
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

    int lastError = ECONNREFUSED;
    for (addrinfo* a = found; a; a = a->ai_next) {
        sockaddr_in address = *reinterpret_cast<sockaddr_in*>(a->ai_addr);
        address.sin_port = htons(port);
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        fd_ = fd;
        int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (rc != 0 && errno == EINPROGRESS) {
            if (waitFor(Wait::Write, connectTimeout_)) {
                socklen_t len = sizeof lastError;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &lastError, &len);
            } else {
                lastError = ETIMEDOUT;
            }
            rc = lastError == 0 ? 0 : -1;
        } else if (rc != 0) {
            lastError = errno;
        }
        if (rc == 0) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            peerAddress_ = text;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            ::freeaddrinfo(found);
            return;
        }
        ::close(fd);
        fd_ = -1;
    }
    ::freeaddrinfo(found);
    throw Error("Could not connect to " + host + ":" + std::to_string(port) + ": " + SystemText(lastError));
}

void Socket::sendAll(const void* data, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(fd_, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!waitFor(Wait::Write, sendTimeout_))
                throw Error("Write timed out.");
            continue;
        }
        if (n < 0 && IsClosedByPeer(errno))
            throw Error("Connection closed by the peer.");
        throw Error("Socket error: " + SystemText(errno));
    }
}

std::size_t Socket::receive(void* buffer, std::size_t size) {
    if (fd_ < 0)
        throw Error("Not connected.");
    for (;;) {
        ssize_t n = ::recv(fd_, buffer, size, MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            if (!waitFor(Wait::Read, receiveTimeout_))
                throw Error("Read timed out.");
            continue;
        }
        if (IsClosedByPeer(errno))
            return 0;
        throw Error("Socket error: " + SystemText(errno));
    }
}

bool Socket::peerClosed() {
    if (fd_ < 0)
        return true;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    char probe;
    ssize_t n = ::recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0)
        return true;
    return n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

void Socket::close() {
    if (fd_ < 0)
        return;
    ::shutdown(fd_, SHUT_WR);
    ::close(fd_);
    fd_ = -1;
    peerAddress_.clear();
}

} // namespace qx::platform
