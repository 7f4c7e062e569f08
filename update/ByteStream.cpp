#include "update/ByteStream.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace qx::update {

namespace {

class PlainStream : public ByteStream {
public:
    explicit PlainStream(std::unique_ptr<platform::PlainSocket> socket) : socket_(std::move(socket)) {}
    bool sendAll(const char* data, std::size_t size, int timeoutMs) override {
        return socket_->sendAll(data, size, timeoutMs);
    }
    long receive(char* data, std::size_t size, int timeoutMs) override {
        return socket_->receive(data, size, timeoutMs);
    }

private:
    std::unique_ptr<platform::PlainSocket> socket_;
};

// TLS through a BIO of our own that reads and writes the platform socket, so that OpenSSL never
// sees an OS handle. A receive that times out is reported to OpenSSL as "retry", which keeps
// the session intact, and to the caller as kTimedOut.
class TlsStream : public ByteStream {
public:
    ~TlsStream() override {
        if (ssl_)
            SSL_free(ssl_); // frees the BIO too
        if (ctx_)
            SSL_CTX_free(ctx_);
        if (method_)
            BIO_meth_free(method_);
    }

    static std::unique_ptr<TlsStream> Open(std::unique_ptr<platform::PlainSocket> socket, const std::string& host,
                                           int timeoutMs, std::string& error) {
        std::unique_ptr<TlsStream> stream(new TlsStream(std::move(socket)));
        if (!stream->handshake(host, timeoutMs)) {
            unsigned long code = ERR_get_error();
            char text[256] = "TLS handshake failed";
            if (code != 0)
                ERR_error_string_n(code, text, sizeof text);
            error = text;
            ERR_clear_error();
            return nullptr;
        }
        return stream;
    }

    bool sendAll(const char* data, std::size_t size, int timeoutMs) override {
        timeoutMs_ = timeoutMs;
        while (size > 0) {
            int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, 16384)));
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    long receive(char* data, std::size_t size, int timeoutMs) override {
        timeoutMs_ = timeoutMs;
        timedOut_ = false;
        int n = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, 16384)));
        if (n > 0)
            return n;
        int reason = SSL_get_error(ssl_, n);
        if (reason == SSL_ERROR_ZERO_RETURN)
            return 0;
        if (reason == SSL_ERROR_WANT_READ && timedOut_)
            return kTimedOut;
        ERR_clear_error();
        return kFailed;
    }

private:
    explicit TlsStream(std::unique_ptr<platform::PlainSocket> socket) : socket_(std::move(socket)) {}

    bool handshake(const std::string& host, int timeoutMs) {
        timeoutMs_ = timeoutMs;
        ctx_ = SSL_CTX_new(TLS_client_method());
        if (!ctx_ || SSL_CTX_set_default_verify_paths(ctx_) != 1)
            return false;
        SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
        method_ = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "qx-update-socket");
        BIO_meth_set_write(method_, &TlsStream::BioWrite);
        BIO_meth_set_read(method_, &TlsStream::BioRead);
        BIO_meth_set_ctrl(method_, &TlsStream::BioCtrl);
        BIO_meth_set_create(method_, [](BIO* bio) {
            BIO_set_init(bio, 1);
            return 1;
        });
        BIO* bio = BIO_new(method_);
        ssl_ = SSL_new(ctx_);
        if (!bio || !ssl_)
            return false;
        BIO_set_data(bio, this);
        SSL_set_bio(ssl_, bio, bio);
        // A numeric host must appear among the certificate's IP addresses, a name among its names.
        if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str()) != 1) {
            SSL_set_tlsext_host_name(ssl_, host.c_str());
            SSL_set1_host(ssl_, host.c_str());
        }
        return SSL_connect(ssl_) == 1 && SSL_get_verify_result(ssl_) == X509_V_OK;
    }

    static int BioWrite(BIO* bio, const char* data, int size) {
        auto* self = static_cast<TlsStream*>(BIO_get_data(bio));
        return self->socket_->sendAll(data, static_cast<std::size_t>(size), self->timeoutMs_) ? size : -1;
    }

    static int BioRead(BIO* bio, char* data, int size) {
        auto* self = static_cast<TlsStream*>(BIO_get_data(bio));
        BIO_clear_retry_flags(bio);
        long n = self->socket_->receive(data, static_cast<std::size_t>(size), self->timeoutMs_);
        if (n == kTimedOut) {
            self->timedOut_ = true;
            BIO_set_retry_read(bio);
            return -1;
        }
        return static_cast<int>(n);
    }

    static long BioCtrl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

    std::unique_ptr<platform::PlainSocket> socket_;
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
    BIO_METHOD* method_ = nullptr;
    int timeoutMs_ = 0;
    bool timedOut_ = false;
};

} // namespace

std::unique_ptr<ByteStream> OpenByteStream(const std::string& host, int port, bool tls, int timeoutMs,
                                           std::string& error) {
    std::unique_ptr<platform::PlainSocket> socket = platform::PlainSocket::Connect(host, port, timeoutMs, error);
    if (!socket)
        return nullptr;
    if (!tls)
        return std::make_unique<PlainStream>(std::move(socket));
    return TlsStream::Open(std::move(socket), host, timeoutMs, error);
}

} // namespace qx::update
