#include "update/TransferStream.h"

#include "app/Error.h"

#include <exception>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <utility>

namespace qx::update {

namespace {

class PlainStream : public TransferStream {
public:
    explicit PlainStream(std::unique_ptr<platform::Socket> socket) : socket_(std::move(socket)) {}
    void sendAll(const char* data, std::size_t size) override { socket_->sendAll(data, size); }
    std::size_t receive(char* data, std::size_t size) override { return socket_->receive(data, size); }

private:
    std::unique_ptr<platform::Socket> socket_;
};

// TLS through a BIO of our own that reads and writes the platform socket directly. An
// exception from the socket (a time-out, or the idle callback stopping the transfer) cannot
// pass through OpenSSL's C frames: the BIO keeps it and it is thrown again after the call.
class TlsStream : public TransferStream {
public:
    explicit TlsStream(std::unique_ptr<platform::Socket> socket) : socket_(std::move(socket)) {}

    ~TlsStream() override {
        if (ssl_)
            SSL_free(ssl_); // frees the BIO too
        if (ctx_)
            SSL_CTX_free(ctx_);
        if (method_)
            BIO_meth_free(method_);
    }

    void handshake(const std::string& host) {
        ctx_ = SSL_CTX_new(TLS_client_method());
        if (!ctx_ || SSL_CTX_set_default_verify_paths(ctx_) != 1)
            fail("cannot load the trusted certificates");
        SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
        method_ = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "qx-update-socket");
        BIO_meth_set_write(method_, &TlsStream::BioWrite);
        BIO_meth_set_read(method_, &TlsStream::BioRead);
        BIO_meth_set_ctrl(method_, &TlsStream::BioCtrl);
        BIO* bio = BIO_new(method_);
        ssl_ = SSL_new(ctx_);
        if (!bio || !ssl_) {
            BIO_free(bio);
            fail("out of memory");
        }
        BIO_set_data(bio, this);
        BIO_set_init(bio, 1);
        SSL_set_bio(ssl_, bio, bio);
        // A numeric host must be among the certificate's IP addresses, a name among its DNS names.
        if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str()) != 1) {
            SSL_set_tlsext_host_name(ssl_, host.c_str());
            SSL_set1_host(ssl_, host.c_str());
        }
        int rc = SSL_connect(ssl_);
        rethrowKept();
        if (rc != 1 || SSL_get_verify_result(ssl_) != X509_V_OK)
            fail(LastOpenSslError());
    }

    void sendAll(const char* data, std::size_t size) override {
        while (size > 0) {
            int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, 16384)));
            rethrowKept();
            if (n <= 0)
                throw Error("TLS write failed: " + LastOpenSslError());
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    std::size_t receive(char* data, std::size_t size) override {
        int n = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, 16384)));
        rethrowKept();
        if (n > 0)
            return static_cast<std::size_t>(n);
        int reason = SSL_get_error(ssl_, n);
        ERR_clear_error();
        if (reason == SSL_ERROR_ZERO_RETURN || reason == SSL_ERROR_SYSCALL)
            return 0; // close_notify, or the TCP connection ended
        throw Error("TLS read failed");
    }

private:
    [[noreturn]] static void fail(const std::string& reason) { throw Error("SSL negotiation failed: " + reason); }

    static std::string LastOpenSslError() {
        unsigned long code = ERR_get_error();
        ERR_clear_error();
        if (code == 0)
            return "the server's certificate is not trusted";
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        return text;
    }

    void rethrowKept() {
        if (kept_)
            std::rethrow_exception(std::exchange(kept_, nullptr));
    }

    static int BioWrite(BIO* bio, const char* data, int size) {
        auto* self = static_cast<TlsStream*>(BIO_get_data(bio));
        try {
            self->socket_->sendAll(data, static_cast<std::size_t>(size));
            return size;
        } catch (...) {
            self->kept_ = std::current_exception();
            return -1;
        }
    }

    static int BioRead(BIO* bio, char* data, int size) {
        auto* self = static_cast<TlsStream*>(BIO_get_data(bio));
        try {
            return static_cast<int>(self->socket_->receive(data, static_cast<std::size_t>(size)));
        } catch (...) {
            self->kept_ = std::current_exception();
            return -1;
        }
    }

    static long BioCtrl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

    std::unique_ptr<platform::Socket> socket_;
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
    BIO_METHOD* method_ = nullptr;
    std::exception_ptr kept_;
};

} // namespace

std::unique_ptr<TransferStream> OpenTransferStream(const std::string& host, std::uint16_t port, bool tls,
                                                   platform::Socket::IdleCallback idle,
                                                   std::chrono::milliseconds receiveTimeout) {
    auto socket = std::make_unique<platform::Socket>();
    socket->setIdleCallback(std::move(idle));
    socket->setReceiveTimeout(receiveTimeout);
    socket->setSendTimeout(receiveTimeout);
    socket->connect(host, port);
    if (!tls)
        return std::make_unique<PlainStream>(std::move(socket));
    auto stream = std::make_unique<TlsStream>(std::move(socket));
    stream->handshake(host);
    return stream;
}

} // namespace qx::update
