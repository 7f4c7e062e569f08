#include "net/TlsLayer.h"

#include "app/Error.h"
#include "platform/Socket.h"
#include "platform/TlsLibrary.h"

#include <algorithm>

namespace qx::net {

namespace {

using Tls = platform::TlsLibrary;

int OpenSslVersion(TlsVersion version) {
    switch (version) {
    case TlsVersion::Tls1_0:
        return Tls::kTls1Version;
    case TlsVersion::Tls1_1:
        return Tls::kTls1_1Version;
    case TlsVersion::Tls1_2:
        return Tls::kTls1_2Version;
    }
    return Tls::kTls1_2Version;
}

// The library's error queue as one line, emptied on the way.
std::string TakeOpenSslErrors(const Tls& tls) {
    std::string text;
    while (unsigned long code = tls.ERR_get_error()) {
        char line[256];
        tls.ERR_error_string_n(code, line, sizeof line);
        if (!text.empty())
            text += "; ";
        text += line;
    }
    return text.empty() ? "unknown error" : text;
}

} // namespace

struct TlsLayer::State {
    explicit State(const Tls& library) : tls(library) {}
    const Tls& tls;
    ssl_ctx_st* context = nullptr;
    ssl_st* ssl = nullptr;
    bio_st* incoming = nullptr; // owned by ssl
    bio_st* outgoing = nullptr; // owned by ssl
    bool peerClosed = false;

    ~State() {
        if (ssl)
            tls.SSL_free(ssl);
        if (context)
            tls.SSL_CTX_free(context);
    }
};

namespace {

const Tls& LoadedTlsLibrary() {
    const Tls* library = platform::LoadTlsLibrary();
    if (!library)
        throw Error("Could not load SSL library.");
    return *library;
}

} // namespace

TlsLayer::TlsLayer(platform::Socket& socket, const TlsSettings& settings)
    : socket_(socket), state_(std::make_unique<State>(LoadedTlsLibrary())) {
    const Tls& tls = state_->tls;
    tls.ERR_clear_error();
    auto fail = [](const std::string& reason) { throw Error("SSL negotiation failed: " + reason); };

    state_->context = tls.SSL_CTX_new(tls.TLS_client_method());
    if (!state_->context)
        fail(TakeOpenSslErrors(state_->tls));
    ssl_ctx_st* ctx = state_->context;
    if (settings.minVersion < TlsVersion::Tls1_2)
        tls.SSL_CTX_set_security_level(ctx, 0);
    tls.SSL_CTX_ctrl(ctx, Tls::kCtrlSetMinProtoVersion, OpenSslVersion(settings.minVersion), nullptr);
    tls.SSL_CTX_ctrl(ctx, Tls::kCtrlSetMaxProtoVersion, OpenSslVersion(settings.maxVersion), nullptr);
    if (!settings.cipherList.empty() && tls.SSL_CTX_set_cipher_list(ctx, settings.cipherList.c_str()) != 1)
        fail(TakeOpenSslErrors(state_->tls));
    if (settings.verifyPeer) {
        if (!platform::TrustSystemRoots(tls, ctx))
            fail("cannot load the trusted certificates");
        tls.SSL_CTX_set_verify(ctx, Tls::kVerifyPeer, nullptr);
    } else {
        tls.SSL_CTX_set_verify(ctx, Tls::kVerifyNone, nullptr);
    }

    state_->ssl = tls.SSL_new(ctx);
    if (!state_->ssl)
        fail(TakeOpenSslErrors(state_->tls));
    state_->incoming = tls.BIO_new(tls.BIO_s_mem());
    state_->outgoing = tls.BIO_new(tls.BIO_s_mem());
    tls.SSL_set_bio(state_->ssl, state_->incoming, state_->outgoing);
    tls.SSL_set_connect_state(state_->ssl);
    if (settings.verifyPeer && !settings.verifyHost.empty() &&
        tls.X509_VERIFY_PARAM_set1_ip_asc(tls.SSL_get0_param(state_->ssl), settings.verifyHost.c_str()) != 1 &&
        tls.SSL_set1_host(state_->ssl, settings.verifyHost.c_str()) != 1)
        fail("cannot check the server's name " + settings.verifyHost);
    if (!settings.serverName.empty())
        tls.SSL_ctrl(state_->ssl, Tls::kCtrlSetTlsextHostname, Tls::kTlsextNametypeHostName,
                     const_cast<char*>(settings.serverName.c_str()));

    for (;;) {
        int rc = tls.SSL_do_handshake(state_->ssl);
        flushOutgoing();
        if (rc == 1)
            return;
        int error = tls.SSL_get_error(state_->ssl, rc);
        if (error == Tls::kErrorWantRead) {
            if (!fillIncoming())
                fail("connection closed by the peer");
            continue;
        }
        fail(TakeOpenSslErrors(state_->tls));
    }
}

TlsLayer::~TlsLayer() = default;

void TlsLayer::flushOutgoing() {
    char chunk[16384];
    for (;;) {
        int n = state_->tls.BIO_read(state_->outgoing, chunk, sizeof chunk);
        if (n <= 0)
            return;
        socket_.sendAll(chunk, static_cast<std::size_t>(n));
    }
}

bool TlsLayer::fillIncoming() {
    char chunk[16384];
    std::size_t n = socket_.receive(chunk, sizeof chunk);
    if (n == 0)
        return false;
    state_->tls.BIO_write(state_->incoming, chunk, static_cast<int>(n));
    return true;
}

void TlsLayer::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
        int n = state_->tls.SSL_write(state_->ssl, data, chunk);
        flushOutgoing();
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        int error = state_->tls.SSL_get_error(state_->ssl, n);
        if (error == Tls::kErrorWantRead && fillIncoming())
            continue;
        throw Error("SSL write failed: " + TakeOpenSslErrors(state_->tls));
    }
}

std::size_t TlsLayer::readSome(char* buffer, std::size_t size) {
    if (state_->peerClosed)
        return 0;
    for (;;) {
        int n = state_->tls.SSL_read(state_->ssl, buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 30)));
        flushOutgoing();
        if (n > 0)
            return static_cast<std::size_t>(n);
        int error = state_->tls.SSL_get_error(state_->ssl, n);
        if (error == Tls::kErrorWantRead) {
            if (fillIncoming())
                continue;
            state_->peerClosed = true; // TCP close without close_notify: the end of the data
            return 0;
        }
        if (error == Tls::kErrorZeroReturn) {
            state_->peerClosed = true;
            return 0;
        }
        throw Error("SSL read failed: " + TakeOpenSslErrors(state_->tls));
    }
}

void TlsLayer::shutdown() {
    try {
        if (state_->tls.SSL_is_init_finished(state_->ssl)) {
            state_->tls.SSL_shutdown(state_->ssl);
            flushOutgoing();
        }
    } catch (const Error&) {
        // The peer may be gone already; the socket is closed next anyway.
    }
    state_->tls.ERR_clear_error();
}

std::string TlsLayer::protocolName() const { return state_->tls.SSL_get_version(state_->ssl); }

} // namespace qx::net
