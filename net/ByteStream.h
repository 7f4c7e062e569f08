#pragma once
// What the protocol readers need of a connection: bytes in, bytes out. The Connection
// implements it over a socket with or without TLS; tests and fuzzers over memory.
#include <cstddef>
#include <string>

namespace qx::net {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Waits for data and returns 1..size bytes, or 0 when the peer closed. Throws qx::Error
    // on a time-out ("Read timed out.") or a failure.
    virtual std::size_t readSome(char* buffer, std::size_t size) = 0;
    // Sends every byte or throws qx::Error.
    virtual void writeAll(const char* data, std::size_t size) = 0;

    void writeAll(const std::string& bytes) { writeAll(bytes.data(), bytes.size()); }
};

} // namespace qx::net
