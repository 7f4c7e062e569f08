#pragma once
// The OpenSSL calls the TLS layer makes, as one table: the linked library on POSIX, the
// DLLs loaded at run time on Windows (libssl-3-x64.dll or libssl-1_1-x64.dll with their
// libcrypto), so that a workstation without them still runs everything but TLS.
#include <cstddef>

struct ssl_st;
struct ssl_ctx_st;
struct ssl_method_st;
struct bio_st;
struct bio_method_st;
struct x509_store_ctx_st;
struct X509_VERIFY_PARAM_st;
struct x509_st;
struct x509_store_st;

namespace qx::platform {

struct TlsLibrary {
    // The OpenSSL constants the layer uses; their values are fixed by OpenSSL's ABI.
    static constexpr int kTls1Version = 0x0301;
    static constexpr int kTls1_1Version = 0x0302;
    static constexpr int kTls1_2Version = 0x0303;
    static constexpr int kCtrlSetMinProtoVersion = 123;
    static constexpr int kCtrlSetMaxProtoVersion = 124;
    static constexpr int kCtrlSetTlsextHostname = 55;
    static constexpr long kTlsextNametypeHostName = 0;
    static constexpr int kVerifyNone = 0;
    static constexpr int kVerifyPeer = 1;
    static constexpr int kErrorWantRead = 2;
    static constexpr int kErrorZeroReturn = 6;

    unsigned long (*ERR_get_error)();
    void (*ERR_error_string_n)(unsigned long, char*, std::size_t);
    void (*ERR_clear_error)();
    const ssl_method_st* (*TLS_client_method)();
    ssl_ctx_st* (*SSL_CTX_new)(const ssl_method_st*);
    void (*SSL_CTX_free)(ssl_ctx_st*);
    void (*SSL_CTX_set_security_level)(ssl_ctx_st*, int);
    long (*SSL_CTX_ctrl)(ssl_ctx_st*, int, long, void*);
    int (*SSL_CTX_set_cipher_list)(ssl_ctx_st*, const char*);
    void (*SSL_CTX_set_verify)(ssl_ctx_st*, int, int (*)(int, x509_store_ctx_st*));
    ssl_st* (*SSL_new)(ssl_ctx_st*);
    void (*SSL_free)(ssl_st*);
    long (*SSL_ctrl)(ssl_st*, int, long, void*);
    void (*SSL_set_bio)(ssl_st*, bio_st*, bio_st*);
    void (*SSL_set_connect_state)(ssl_st*);
    int (*SSL_do_handshake)(ssl_st*);
    int (*SSL_get_error)(const ssl_st*, int);
    int (*SSL_write)(ssl_st*, const void*, int);
    int (*SSL_read)(ssl_st*, void*, int);
    int (*SSL_is_init_finished)(const ssl_st*);
    int (*SSL_shutdown)(ssl_st*);
    const char* (*SSL_get_version)(const ssl_st*);
    int (*SSL_set1_host)(ssl_st*, const char*);
    X509_VERIFY_PARAM_st* (*SSL_get0_param)(ssl_st*);
    int (*X509_VERIFY_PARAM_set1_ip_asc)(X509_VERIFY_PARAM_st*, const char*);
    x509_store_st* (*SSL_CTX_get_cert_store)(const ssl_ctx_st*);
    x509_st* (*d2i_X509)(x509_st**, const unsigned char**, long);
    int (*X509_STORE_add_cert)(x509_store_st*, x509_st*);
    void (*X509_free)(x509_st*);
    bio_st* (*BIO_new)(const bio_method_st*);
    const bio_method_st* (*BIO_s_mem)();
    int (*BIO_read)(bio_st*, void*, int);
    int (*BIO_write)(bio_st*, const void*, int);
};

// The library, loaded on the first call; nullptr when it is not available (the next call tries again).
const TlsLibrary* LoadTlsLibrary();

// Makes `context` trust the system's root certificates: OpenSSL's default locations on POSIX,
// the "ROOT" certificate store on Windows (OpenSSL does not read it by itself). False when none
// could be loaded.
bool TrustSystemRoots(const TlsLibrary& tls, ssl_ctx_st* context);

} // namespace qx::platform
