#pragma once
// The transport under the update's HTTP client: a plain connection, or TLS on top of one.
#include "platform/PlainSocket.h"

#include <cstddef>
#include <memory>
#include <string>

namespace qx::update {

class ByteStream {
public:
    static constexpr long kTimedOut = platform::PlainSocket::kTimedOut;
    static constexpr long kFailed = platform::PlainSocket::kFailed;

    virtual ~ByteStream() = default;
    virtual bool sendAll(const char* data, std::size_t size, int timeoutMs) = 0;
    // The count (> 0), 0 when the peer closed, kTimedOut or kFailed.
    virtual long receive(char* data, std::size_t size, int timeoutMs) = 0;
};

// Connects to host:port; with `tls` the server's certificate must verify against the system's
// trusted roots and name `host`. nullptr with `error` set when that fails.
std::unique_ptr<ByteStream> OpenByteStream(const std::string& host, int port, bool tls, int timeoutMs,
                                           std::string& error);

} // namespace qx::update
