// POSIX links OpenSSL: the table holds the library's own functions.
#include "platform/TlsLibrary.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace qx::platform {

static_assert(TlsLibrary::kTls1Version == TLS1_VERSION && TlsLibrary::kTls1_1Version == TLS1_1_VERSION &&
              TlsLibrary::kTls1_2Version == TLS1_2_VERSION);
static_assert(TlsLibrary::kCtrlSetMinProtoVersion == SSL_CTRL_SET_MIN_PROTO_VERSION &&
              TlsLibrary::kCtrlSetMaxProtoVersion == SSL_CTRL_SET_MAX_PROTO_VERSION &&
              TlsLibrary::kCtrlSetTlsextHostname == SSL_CTRL_SET_TLSEXT_HOSTNAME &&
              TlsLibrary::kTlsextNametypeHostName == TLSEXT_NAMETYPE_host_name);
static_assert(TlsLibrary::kVerifyNone == SSL_VERIFY_NONE && TlsLibrary::kVerifyPeer == SSL_VERIFY_PEER &&
              TlsLibrary::kErrorWantRead == SSL_ERROR_WANT_READ && TlsLibrary::kErrorZeroReturn == SSL_ERROR_ZERO_RETURN);

const TlsLibrary* LoadTlsLibrary() {
    static const TlsLibrary library{
        ERR_get_error,
        ERR_error_string_n,
        ERR_clear_error,
        TLS_client_method,
        SSL_CTX_new,
        SSL_CTX_free,
        SSL_CTX_set_security_level,
        SSL_CTX_ctrl,
        SSL_CTX_set_cipher_list,
        SSL_CTX_set_verify,
        SSL_new,
        SSL_free,
        SSL_ctrl,
        SSL_set_bio,
        SSL_set_connect_state,
        SSL_do_handshake,
        SSL_get_error,
        SSL_write,
        SSL_read,
        SSL_is_init_finished,
        SSL_shutdown,
        SSL_get_version,
        SSL_set1_host,
        SSL_get0_param,
        X509_VERIFY_PARAM_set1_ip_asc,
        SSL_CTX_get_cert_store,
        d2i_X509,
        X509_STORE_add_cert,
        X509_free,
        BIO_new,
        BIO_s_mem,
        BIO_read,
        BIO_write,
    };
    return &library;
}

bool TrustSystemRoots(const TlsLibrary&, ssl_ctx_st* context) {
    return SSL_CTX_set_default_verify_paths(context) == 1;
}

} // namespace qx::platform
