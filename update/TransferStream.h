#pragma once
// The transport under the update's HTTP client: the platform socket, with TLS on top of it
// when the URL is https. Waits run in the socket's slices and call `idle` between them, which
// may throw to stop the transfer (cancel, time-out).
#include "platform/Socket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qx::update {

class TransferStream {
public:
    virtual ~TransferStream() = default;
    // Sends every byte; throws qx::Error.
    virtual void sendAll(const char* data, std::size_t size) = 0;
    // 1..size bytes, or 0 when the peer closed; throws qx::Error ("Read timed out." after `receiveTimeout`).
    virtual std::size_t receive(char* data, std::size_t size) = 0;
};

// Connects to host:port. With `tls` the server's certificate must verify against the system's
// trusted roots and name `host` (a DNS name or an IPv4 address); TLS 1.2 at least.
// Throws qx::Error when no connection, or no trusted one, comes about.
std::unique_ptr<TransferStream> OpenTransferStream(const std::string& host, std::uint16_t port, bool tls,
                                                   platform::Socket::IdleCallback idle,
                                                   std::chrono::milliseconds receiveTimeout);

} // namespace qx::update
