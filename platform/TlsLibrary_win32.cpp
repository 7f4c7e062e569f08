// OpenSSL is not part of the program on Windows: its DLLs are looked for at run time, the
// OpenSSL 3 names first, then 1.1. Every entry must be found, or the library counts as missing.
#include "platform/TlsLibrary.h"

#include <mutex>
#include <windows.h>
#include <wincrypt.h>

namespace qx::platform {

namespace {

struct DllPair {
    const wchar_t* ssl;
    const wchar_t* crypto;
};

constexpr DllPair kCandidates[] = {
    {L"libssl-3-x64.dll", L"libcrypto-3-x64.dll"},
    {L"libssl-1_1-x64.dll", L"libcrypto-1_1-x64.dll"},
};

template <typename Function> bool Find(HMODULE ssl, HMODULE crypto, const char* name, Function& function) {
    FARPROC found = GetProcAddress(ssl, name);
    if (!found)
        found = GetProcAddress(crypto, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
    return found != nullptr;
}

bool Resolve(HMODULE ssl, HMODULE crypto, TlsLibrary& t) {
#define QX_TLS_ENTRY(name) Find(ssl, crypto, #name, t.name)
    return QX_TLS_ENTRY(ERR_get_error) && QX_TLS_ENTRY(ERR_error_string_n) && QX_TLS_ENTRY(ERR_clear_error) &&
           QX_TLS_ENTRY(TLS_client_method) && QX_TLS_ENTRY(SSL_CTX_new) && QX_TLS_ENTRY(SSL_CTX_free) &&
           QX_TLS_ENTRY(SSL_CTX_set_security_level) && QX_TLS_ENTRY(SSL_CTX_ctrl) &&
           QX_TLS_ENTRY(SSL_CTX_set_cipher_list) && QX_TLS_ENTRY(SSL_CTX_set_verify) && QX_TLS_ENTRY(SSL_new) && QX_TLS_ENTRY(SSL_free) &&
           QX_TLS_ENTRY(SSL_ctrl) && QX_TLS_ENTRY(SSL_set_bio) && QX_TLS_ENTRY(SSL_set_connect_state) &&
           QX_TLS_ENTRY(SSL_do_handshake) && QX_TLS_ENTRY(SSL_get_error) && QX_TLS_ENTRY(SSL_write) &&
           QX_TLS_ENTRY(SSL_read) && QX_TLS_ENTRY(SSL_is_init_finished) && QX_TLS_ENTRY(SSL_shutdown) &&
           QX_TLS_ENTRY(SSL_get_version) && QX_TLS_ENTRY(SSL_set1_host) && QX_TLS_ENTRY(SSL_get0_param) &&
           QX_TLS_ENTRY(X509_VERIFY_PARAM_set1_ip_asc) && QX_TLS_ENTRY(SSL_CTX_get_cert_store) &&
           QX_TLS_ENTRY(d2i_X509) && QX_TLS_ENTRY(X509_STORE_add_cert) && QX_TLS_ENTRY(X509_free) && QX_TLS_ENTRY(BIO_new) && QX_TLS_ENTRY(BIO_s_mem) &&
           QX_TLS_ENTRY(BIO_read) && QX_TLS_ENTRY(BIO_write);
#undef QX_TLS_ENTRY
}

} // namespace

const TlsLibrary* LoadTlsLibrary() {
    static std::mutex guard;
    static TlsLibrary library{};
    static bool loaded = false;
    std::lock_guard lock(guard);
    if (loaded)
        return &library;
    for (const DllPair& candidate : kCandidates) {
        HMODULE crypto = LoadLibraryW(candidate.crypto);
        HMODULE ssl = crypto ? LoadLibraryW(candidate.ssl) : nullptr;
        // Kept loaded once found: contexts and sessions may live until the program ends.
        if (ssl && Resolve(ssl, crypto, library)) {
            loaded = true;
            return &library;
        }
        if (ssl)
            FreeLibrary(ssl);
        if (crypto)
            FreeLibrary(crypto);
    }
    return nullptr;
}

bool TrustSystemRoots(const TlsLibrary& tls, ssl_ctx_st* context) {
    HCERTSTORE roots = CertOpenSystemStoreW(0, L"ROOT");
    if (!roots)
        return false;
    x509_store_st* store = tls.SSL_CTX_get_cert_store(context);
    int added = 0;
    for (PCCERT_CONTEXT certificate = CertEnumCertificatesInStore(roots, nullptr); certificate;
         certificate = CertEnumCertificatesInStore(roots, certificate)) {
        const unsigned char* der = certificate->pbCertEncoded;
        x509_st* x509 = tls.d2i_X509(nullptr, &der, static_cast<long>(certificate->cbCertEncoded));
        if (!x509)
            continue;
        if (tls.X509_STORE_add_cert(store, x509) == 1)
            ++added;
        tls.X509_free(x509); // the store keeps its own reference
    }
    CertCloseStore(roots, 0);
    tls.ERR_clear_error(); // duplicates in the store leave errors behind
    return added > 0;
}

} // namespace qx::platform
