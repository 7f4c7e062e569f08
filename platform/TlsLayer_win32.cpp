// TLS through the system: Schannel behind SSPI. Nothing to ship, the system's protocol
// versions and cipher suites, its trusted roots and its security updates. Schannel works on
// buffers, so the layer itself moves the records through the socket.
#include "platform/TlsLayer.h"

#include "platform/Socket.h"
#include "platform/WideText_win32.h"
#include "text/Error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
// The SSPI headers follow windows.h.
#include <windows.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

namespace qx::platform {

namespace {

// SECURITY_FLAG_IGNORE_CERT_CN_INVALID of wininet.h, which the SSL chain policy takes.
constexpr DWORD kIgnoreServerName = 0x00001000;

constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

DWORD ProtocolBits(TlsVersion version) {
    switch (version) {
    case TlsVersion::Tls1_0:
        return SP_PROT_TLS1_0_CLIENT;
    case TlsVersion::Tls1_1:
        return SP_PROT_TLS1_1_CLIENT;
    case TlsVersion::Tls1_2:
        return SP_PROT_TLS1_2_CLIENT;
    }
    return SP_PROT_TLS1_2_CLIENT;
}

DWORD EnabledProtocols(const TlsSettings& settings) {
    DWORD bits = 0;
    for (TlsVersion v : {TlsVersion::Tls1_0, TlsVersion::Tls1_1, TlsVersion::Tls1_2})
        if (v >= settings.minVersion && v <= settings.maxVersion)
            bits |= ProtocolBits(v);
    return bits;
}

std::string Hex(unsigned long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
}

// English texts for what a user may meet; the code always follows for the rest.
std::string StatusText(SECURITY_STATUS status) {
    const char* what = nullptr;
    switch (status) {
    case SEC_E_ALGORITHM_MISMATCH:
        what = "no protocol version or cipher suite in common";
        break;
    case SEC_E_UNSUPPORTED_FUNCTION:
        what = "the protocol version is turned off on this system";
        break;
    case SEC_E_ILLEGAL_MESSAGE:
        what = "the peer's message was refused";
        break;
    case SEC_E_DECRYPT_FAILURE:
    case SEC_E_MESSAGE_ALTERED:
        what = "a record could not be decrypted";
        break;
    case SEC_E_INVALID_TOKEN:
        what = "the peer's data is no TLS";
        break;
    default:
        what = "error";
    }
    return std::string(what) + " (" + Hex(static_cast<unsigned long>(status)) + ")";
}

std::string CertificateText(DWORD error) {
    const char* what = nullptr;
    switch (error) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDCA):
    case static_cast<DWORD>(CERT_E_CHAINING):
        what = "the certificate is not trusted";
        break;
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        what = "the certificate names another host";
        break;
    case static_cast<DWORD>(CERT_E_EXPIRED):
        what = "the certificate has expired";
        break;
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
        what = "the certificate is not for servers";
        break;
    default:
        what = "the certificate was refused";
    }
    return std::string(what) + " (" + Hex(error) + ")";
}

[[noreturn]] void Fail(const std::string& reason) {
    throw Error("SSL negotiation failed: " + reason);
}

std::string ProtocolName(DWORD protocol) {
    if (protocol & SP_PROT_TLS1_0)
        return "TLSv1";
    if (protocol & SP_PROT_TLS1_1)
        return "TLSv1.1";
    if (protocol & SP_PROT_TLS1_2)
        return "TLSv1.2";
    if (protocol & SP_PROT_TLS1_3)
        return "TLSv1.3";
    return "unknown";
}

// The server's certificate, checked by the system: a chain to a trusted root, for server
// authentication, naming `host` (a DNS name or an address; empty: any name).
void VerifyServer(CtxtHandle& context, const std::string& host) {
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK || !certificate)
        Fail("the server sent no certificate");
    LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    const BOOL built =
        CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr, &chain);
    CertFreeCertificateContext(certificate);
    if (!built || !chain)
        Fail("the certificate chain could not be built (" + Hex(GetLastError()) + ")");

    std::wstring name = Widen(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
    sslPara.cbSize = sizeof sslPara;
    sslPara.dwAuthType = AUTHTYPE_SERVER;
    sslPara.fdwChecks = host.empty() ? kIgnoreServerName : 0;
    sslPara.pwszServerName = host.empty() ? nullptr : name.data();
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &sslPara;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status);
    CertFreeCertificateChain(chain);
    if (!checked)
        Fail("the certificate could not be checked (" + Hex(GetLastError()) + ")");
    if (status.dwError != 0)
        Fail(CertificateText(status.dwError));
}

} // namespace

struct TlsLayer::State {
    explicit State(Socket& s) : socket(s) {}
    ~State() {
        if (haveContext)
            DeleteSecurityContext(&context);
        if (haveCredentials)
            FreeCredentialsHandle(&credentials);
    }

    // Appends what the socket has to `incoming`; false when the peer closed.
    bool fillIncoming() {
        char chunk[16384];
        std::size_t n = socket.receive(chunk, sizeof chunk);
        if (n == 0)
            return false;
        incoming.append(chunk, n);
        return true;
    }

    // Sends a token Schannel allocated and frees it.
    void sendToken(SecBuffer& token) {
        if (!token.pvBuffer)
            return;
        struct Release {
            void* buffer;
            ~Release() { FreeContextBuffer(buffer); }
        } release{token.pvBuffer};
        if (token.cbBuffer > 0)
            socket.sendAll(token.pvBuffer, token.cbBuffer);
    }

    // The client's side of the handshake, also of a renegotiation: feed Schannel what the
    // server sent, send what Schannel answers, until it reports the context complete.
    void handshake() {
        ULONG flags = kContextFlags;
        for (;;) {
            SecBuffer in[2] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_TOKEN, incoming.data()},
                               {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
            SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
            ULONG attributes = 0;
            SEC_WCHAR* target = serverName.empty() ? nullptr : serverName.data();
            SECURITY_STATUS status =
                haveContext ? InitializeSecurityContextW(&credentials, &context, target, flags, 0, 0, &inDesc, 0,
                                                         nullptr, &outDesc, &attributes, nullptr)
                            : InitializeSecurityContextW(&credentials, nullptr, target, flags, 0, 0, nullptr, 0,
                                                         &context, &outDesc, &attributes, nullptr);
            if (!haveContext && !FAILED(status))
                haveContext = true;
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                if (!fillIncoming())
                    Fail("connection closed by the peer");
                continue;
            }
            if (FAILED(status)) {
                try {
                    sendToken(out[0]); // the alert for the server
                } catch (const Error&) {
                    // The handshake's own failure is the one to report.
                }
                Fail(StatusText(status));
            }
            sendToken(out[0]);
            if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
                // The server asks for a client certificate: go on without one.
                flags |= ISC_REQ_USE_SUPPLIED_CREDS;
                continue;
            }
            if (in[1].BufferType == SECBUFFER_EXTRA)
                incoming.erase(0, incoming.size() - in[1].cbBuffer);
            else
                incoming.clear();
            if (status == SEC_E_OK)
                return;
            if (status != SEC_I_CONTINUE_NEEDED)
                Fail(StatusText(status));
            if (incoming.empty() && !fillIncoming())
                Fail("connection closed by the peer");
        }
    }

    // Decrypts what `incoming` holds into `plain`; false when a record is still incomplete.
    bool decryptIncoming() {
        SecBuffer buffers[4] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_DATA, incoming.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = DecryptMessage(&context, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return false;
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED)
            throw Error("SSL read failed: " + StatusText(status));
        std::string extra;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0)
                plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            else if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer > 0)
                extra.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        }
        incoming = std::move(extra);
        if (status == SEC_I_CONTEXT_EXPIRED)
            peerClosed = true; // close_notify
        else if (status == SEC_I_RENEGOTIATE)
            handshake();
        return true;
    }

    Socket& socket;
    CredHandle credentials{};
    bool haveCredentials = false;
    CtxtHandle context{};
    bool haveContext = false;
    std::wstring serverName;
    SecPkgContext_StreamSizes sizes{};
    std::string protocol;
    std::string incoming; // received records not yet decrypted
    std::string plain;    // decrypted bytes not yet read
    bool peerClosed = false;
};

TlsLayer::TlsLayer(Socket& socket, const TlsSettings& settings) : state_(std::make_unique<State>(socket)) {
    State& s = *state_;
    SCHANNEL_CRED credential{};
    credential.dwVersion = SCHANNEL_CRED_VERSION;
    credential.grbitEnabledProtocols = EnabledProtocols(settings);
    // The certificate is checked below, by the system's chain policy, only when asked for.
    credential.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    wchar_t package[] = UNISP_NAME_W;
    SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &credential,
                                                       nullptr, nullptr, &s.credentials, nullptr);
    if (status != SEC_E_OK)
        Fail(StatusText(status));
    s.haveCredentials = true;
    s.serverName = Widen(settings.serverName);

    s.handshake();
    if (settings.verifyPeer)
        VerifyServer(s.context, settings.verifyHost);
    status = QueryContextAttributesW(&s.context, SECPKG_ATTR_STREAM_SIZES, &s.sizes);
    if (status != SEC_E_OK)
        Fail(StatusText(status));
    SecPkgContext_ConnectionInfo info{};
    s.protocol = QueryContextAttributesW(&s.context, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK
                     ? ProtocolName(info.dwProtocol)
                     : "unknown";
}

TlsLayer::~TlsLayer() = default;

void TlsLayer::writeAll(const char* data, std::size_t size) {
    State& s = *state_;
    std::string record;
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, s.sizes.cbMaximumMessage));
        record.assign(s.sizes.cbHeader + chunk + s.sizes.cbTrailer, '\0');
        char* header = record.data();
        std::memcpy(header + s.sizes.cbHeader, data, chunk);
        SecBuffer buffers[4] = {{s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, header},
                                {chunk, SECBUFFER_DATA, header + s.sizes.cbHeader},
                                {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, header + s.sizes.cbHeader + chunk},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = EncryptMessage(&s.context, 0, &desc, 0);
        if (status != SEC_E_OK)
            throw Error("SSL write failed: " + StatusText(status));
        s.socket.sendAll(header, buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        data += chunk;
        size -= chunk;
    }
}

std::size_t TlsLayer::readSome(char* buffer, std::size_t size) {
    State& s = *state_;
    while (s.plain.empty() && !s.peerClosed) {
        if (s.incoming.empty() || !s.decryptIncoming()) {
            if (!s.fillIncoming()) {
                s.peerClosed = true; // TCP close without close_notify: the end of the data
                break;
            }
        }
    }
    const std::size_t n = std::min(size, s.plain.size());
    std::memcpy(buffer, s.plain.data(), n);
    s.plain.erase(0, n);
    return n;
}

void TlsLayer::shutdown() {
    State& s = *state_;
    if (!s.haveContext || s.peerClosed)
        return;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&s.context, &controlDesc) != SEC_E_OK)
        return;
    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    SEC_WCHAR* target = s.serverName.empty() ? nullptr : s.serverName.data();
    InitializeSecurityContextW(&s.credentials, &s.context, target, kContextFlags, 0, 0, nullptr, 0, nullptr, &outDesc,
                               &attributes, nullptr);
    try {
        s.sendToken(out); // close_notify
    } catch (const Error&) {
        // The peer may be gone already; the socket is closed next anyway.
    }
}

std::string TlsLayer::protocolName() const {
    return state_->protocol;
}

} // namespace qx::platform
