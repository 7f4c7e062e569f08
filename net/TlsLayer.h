#pragma once
// TLS on OpenSSL 3 over an already connected platform::Socket. The layer talks to the
// socket through memory buffers, so every wait still runs in the socket's slices with the
// idle callback and the socket's time-outs. Switch it on at once (implicit TLS) or after a
// plain-text exchange (STARTTLS); the Connection above hides which one is in use.
#include <cstddef>
#include <memory>
#include <string>

namespace qx::platform {
class Socket;
}

namespace qx::net {

enum class TlsVersion { Tls1_0, Tls1_1, Tls1_2 };

struct TlsSettings {
    // The versions the client hello allows. OpenSSL 3 only negotiates TLS 1.0 and 1.1 at
    // security level 0, which the layer selects when `minVersion` is below TLS 1.2.
    TlsVersion minVersion = TlsVersion::Tls1_0;
    TlsVersion maxVersion = TlsVersion::Tls1_2;
    // OpenSSL cipher list text; empty keeps the library's default.
    std::string cipherList;
    // Certificate verification against the system's store. Off by default: the service's
    // servers are reached by address and are not verified.
    bool verifyPeer = false;
    // With `verifyPeer`: the host the certificate must name, a DNS name or an IPv4 address.
    std::string verifyHost;
    // Server name indication; empty (the default) sends none.
    std::string serverName;
};

class TlsLayer {
public:
    // Runs the handshake over `socket` at once. Throws qx::Error("SSL negotiation failed: <reason>").
    TlsLayer(platform::Socket& socket, const TlsSettings& settings);
    ~TlsLayer();
    TlsLayer(const TlsLayer&) = delete;
    TlsLayer& operator=(const TlsLayer&) = delete;

    // Encrypts and sends every byte.
    void writeAll(const char* data, std::size_t size);
    // Returns 1..size decrypted bytes, or 0 when the peer closed (close_notify or TCP close).
    std::size_t readSome(char* buffer, std::size_t size);
    // Sends close_notify (best effort, never throws); the socket stays open for the caller to close.
    void shutdown();

    // The negotiated protocol version ("TLSv1", "TLSv1.1", "TLSv1.2"), for logs and tests.
    std::string protocolName() const;

private:
    struct State;
    // Moves what OpenSSL wrote into its outgoing buffer to the socket.
    void flushOutgoing();
    // Reads from the socket into OpenSSL's incoming buffer; false when the peer closed.
    bool fillIncoming();

    platform::Socket& socket_;
    std::unique_ptr<State> state_;
};

} // namespace qx::net
