// TLS on OpenSSL 3, linked. OpenSSL talks to memory buffers that the layer empties into the
// socket and fills from it, so OpenSSL never blocks on the socket itself.
#include "platform/TlsLayer.h"

#include "platform/Socket.h"
#include "text/Error.h"

#include <algorithm>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace qx::platform {

namespace {

int OpenSslVersion(TlsVersion version) {
    switch (version) {
    case TlsVersion::Tls1_0:
        return TLS1_VERSION;
    case TlsVersion::Tls1_1:
        return TLS1_1_VERSION;
    case TlsVersion::Tls1_2:
        return TLS1_2_VERSION;
    }
    return TLS1_2_VERSION;
}

// The library's error queue as one line, emptied on the way.
std::string TakeOpenSslErrors() {
    std::string text;
    while (unsigned long code = ERR_get_error()) {
        char line[256];
        ERR_error_string_n(code, line, sizeof line);
        if (!text.empty())
            text += "; ";
        text += line;
    }
    return text.empty() ? "unknown error" : text;
}

[[noreturn]] void Fail(const std::string& reason) {
    throw Error("SSL negotiation failed: " + reason);
}

} // namespace

struct TlsLayer::State {
    explicit State(Socket& s) : socket(s) {}
    ~State() {
        if (ssl)
            SSL_free(ssl);
        if (context)
            SSL_CTX_free(context);
    }

    // Moves what OpenSSL wrote into its outgoing buffer to the socket.
    void flushOutgoing() {
        char chunk[16384];
        for (;;) {
            int n = BIO_read(outgoing, chunk, sizeof chunk);
            if (n <= 0)
                return;
            socket.sendAll(chunk, static_cast<std::size_t>(n));
        }
    }

    // Reads from the socket into OpenSSL's incoming buffer; false when the peer closed.
    bool fillIncoming() {
        char chunk[16384];
        std::size_t n = socket.receive(chunk, sizeof chunk);
        if (n == 0)
            return false;
        BIO_write(incoming, chunk, static_cast<int>(n));
        return true;
    }

    Socket& socket;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    BIO* incoming = nullptr; // owned by ssl
    BIO* outgoing = nullptr; // owned by ssl
    bool peerClosed = false;
};

TlsLayer::TlsLayer(Socket& socket, const TlsSettings& settings) : state_(std::make_unique<State>(socket)) {
    ERR_clear_error();
    state_->context = SSL_CTX_new(TLS_client_method());
    if (!state_->context)
        Fail(TakeOpenSslErrors());
    SSL_CTX* ctx = state_->context;
    if (settings.minVersion < TlsVersion::Tls1_2)
        SSL_CTX_set_security_level(ctx, 0);
    SSL_CTX_set_min_proto_version(ctx, OpenSslVersion(settings.minVersion));
    SSL_CTX_set_max_proto_version(ctx, OpenSslVersion(settings.maxVersion));
    if (!settings.cipherList.empty() && SSL_CTX_set_cipher_list(ctx, settings.cipherList.c_str()) != 1)
        Fail(TakeOpenSslErrors());
    if (settings.verifyPeer) {
        if (SSL_CTX_set_default_verify_paths(ctx) != 1)
            Fail("cannot load the trusted certificates");
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    } else {
        SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    }

    state_->ssl = SSL_new(ctx);
    if (!state_->ssl)
        Fail(TakeOpenSslErrors());
    state_->incoming = BIO_new(BIO_s_mem());
    state_->outgoing = BIO_new(BIO_s_mem());
    SSL_set_bio(state_->ssl, state_->incoming, state_->outgoing);
    SSL_set_connect_state(state_->ssl);
    if (settings.verifyPeer && !settings.verifyHost.empty() &&
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(state_->ssl), settings.verifyHost.c_str()) != 1 &&
        SSL_set1_host(state_->ssl, settings.verifyHost.c_str()) != 1)
        Fail("cannot check the server's name " + settings.verifyHost);
    if (!settings.serverName.empty())
        SSL_set_tlsext_host_name(state_->ssl, settings.serverName.c_str());

    for (;;) {
        int rc = SSL_do_handshake(state_->ssl);
        state_->flushOutgoing();
        if (rc == 1)
            return;
        if (SSL_get_error(state_->ssl, rc) == SSL_ERROR_WANT_READ) {
            if (!state_->fillIncoming())
                Fail("connection closed by the peer");
            continue;
        }
        Fail(TakeOpenSslErrors());
    }
}

TlsLayer::~TlsLayer() = default;

void TlsLayer::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
        int n = SSL_write(state_->ssl, data, chunk);
        state_->flushOutgoing();
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (SSL_get_error(state_->ssl, n) == SSL_ERROR_WANT_READ && state_->fillIncoming())
            continue;
        throw Error("SSL write failed: " + TakeOpenSslErrors());
    }
}

std::size_t TlsLayer::readSome(char* buffer, std::size_t size) {
    if (state_->peerClosed)
        return 0;
    for (;;) {
        int n = SSL_read(state_->ssl, buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 30)));
        state_->flushOutgoing();
        if (n > 0)
            return static_cast<std::size_t>(n);
        int error = SSL_get_error(state_->ssl, n);
        if (error == SSL_ERROR_WANT_READ) {
            if (state_->fillIncoming())
                continue;
            state_->peerClosed = true; // TCP close without close_notify: the end of the data
            return 0;
        }
        if (error == SSL_ERROR_ZERO_RETURN) {
            state_->peerClosed = true;
            return 0;
        }
        throw Error("SSL read failed: " + TakeOpenSslErrors());
    }
}

void TlsLayer::shutdown() {
    try {
        if (SSL_is_init_finished(state_->ssl)) {
            SSL_shutdown(state_->ssl);
            state_->flushOutgoing();
        }
    } catch (const Error&) {
        // The peer may be gone already; the socket is closed next anyway.
    }
    ERR_clear_error();
}

std::string TlsLayer::protocolName() const {
    return SSL_get_version(state_->ssl);
}

} // namespace qx::platform
