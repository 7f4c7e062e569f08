// SHA-256 and ECDSA verification over OpenSSL 3's EVP interface.
#include "platform/Signature.h"

#include "text/Error.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

namespace qx::platform {

namespace {

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)> using Owned = std::unique_ptr<T, Deleter<T, Free>>;

using PublicKey = Owned<EVP_PKEY, EVP_PKEY_free>;

PublicKey P256PublicKey(const std::string& point) {
    if (point.size() != kP256PublicKeyBytes || point[0] != 0x04)
        return nullptr;
    Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    if (!context || EVP_PKEY_fromdata_init(context.get()) <= 0)
        return nullptr;
    char group[] = "prime256v1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
        OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, const_cast<char*>(point.data()), point.size()),
        OSSL_PARAM_construct_end()};
    EVP_PKEY* key = nullptr;
    if (EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params) <= 0)
        return nullptr;
    return PublicKey(key);
}

// OpenSSL verifies the DER form; the published signature is r || s.
std::string DerSignature(const std::string& raw) {
    Owned<ECDSA_SIG, ECDSA_SIG_free> signature(ECDSA_SIG_new());
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
    BIGNUM* r = BN_bin2bn(bytes, 32, nullptr);
    BIGNUM* s = BN_bin2bn(bytes + 32, 32, nullptr);
    if (!signature || !r || !s || ECDSA_SIG_set0(signature.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return {};
    }
    unsigned char* der = nullptr;
    int length = i2d_ECDSA_SIG(signature.get(), &der);
    if (length <= 0)
        return {};
    std::string out(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);
    return out;
}

} // namespace

struct Sha256::State {
    Owned<EVP_MD_CTX, EVP_MD_CTX_free> context{EVP_MD_CTX_new()};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->context || EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) != 1)
        throw Error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::update(const char* data, std::size_t size) {
    if (size > 0 && EVP_DigestUpdate(state_->context.get(), data, size) != 1)
        throw Error("SHA-256 failed");
}

std::string Sha256::finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state_->context.get(), digest, &length) != 1 || length != kSha256Bytes)
        throw Error("SHA-256 failed");
    return std::string(reinterpret_cast<const char*>(digest), length);
}

bool VerifyP256Sha256(const std::string& publicKey, const std::string& message, const std::string& signature) {
    if (signature.size() != kP256SignatureBytes)
        return false;
    PublicKey key = P256PublicKey(publicKey);
    std::string der = DerSignature(signature);
    Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
    if (!key || der.empty() || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(der.data()), der.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

} // namespace qx::platform
