#pragma once
// TLS over an already connected Socket, with the system's TLS: OpenSSL on POSIX, Schannel
// (SSPI) on Windows. The layer moves the encrypted bytes itself through the socket, so every
// wait still runs in the socket's slices with the idle callback and the socket's time-outs.
// Switch it on at once (implicit TLS) or after a plain-text exchange (STARTTLS).
#include <cstddef>
#include <memory>
#include <string>

namespace qx::platform {

class Socket;

enum class TlsVersion { Tls1_0, Tls1_1, Tls1_2 };

struct TlsSettings {
    // The versions the client hello allows. OpenSSL 3 only negotiates TLS 1.0 and 1.1 at
    // security level 0, which the layer selects when `minVersion` is below TLS 1.2. A version
    // the system has turned off (newer Windows turn off 1.0 and 1.1) fails the handshake.
    TlsVersion minVersion = TlsVersion::Tls1_0;
    TlsVersion maxVersion = TlsVersion::Tls1_2;
    // OpenSSL cipher list text; empty keeps the library's default. Schannel takes the
    // system's cipher suites and ignores it.
    std::string cipherList;
    // Certificate verification against the system's trusted roots. Off by default: the
    // service's servers are reached by address and are not verified.
    bool verifyPeer = false;
    // With `verifyPeer`: the host the certificate must name, a DNS name or an IPv4 address.
    std::string verifyHost;
    // Server name indication; empty (the default) sends none.
    std::string serverName;
};

class TlsLayer {
public:
    // Runs the handshake over `socket` at once. Throws qx::Error("SSL negotiation failed: <reason>").
    TlsLayer(Socket& socket, const TlsSettings& settings);
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
    struct State; // the library's own objects, one kind per platform
    std::unique_ptr<State> state_;
};

} // namespace qx::platform
