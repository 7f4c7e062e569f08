// SHA-256 and ECDSA verification through CNG (bcrypt), the system's own crypto.
#include "platform/Signature.h"

#include "text/Error.h"

#include <vector>
#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

namespace qx::platform {

namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

class Algorithm {
public:
    explicit Algorithm(LPCWSTR name) {
        if (!Succeeded(BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0)))
            handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_)
            BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

} // namespace

struct Sha256::State {
    Algorithm algorithm{BCRYPT_SHA256_ALGORITHM};
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->algorithm.get() ||
        !Succeeded(BCryptCreateHash(state_->algorithm.get(), &state_->hash, nullptr, 0, nullptr, 0, 0)))
        throw Error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::update(const char* data, std::size_t size) {
    while (size > 0) {
        ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!Succeeded(BCryptHashData(state_->hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data)), piece, 0)))
            throw Error("SHA-256 failed");
        data += piece;
        size -= piece;
    }
}

std::string Sha256::finish() {
    std::string digest(kSha256Bytes, '\0');
    if (!Succeeded(BCryptFinishHash(state_->hash, reinterpret_cast<PUCHAR>(digest.data()),
                                    static_cast<ULONG>(digest.size()), 0)))
        throw Error("SHA-256 failed");
    return digest;
}

bool VerifyP256Sha256(const std::string& publicKey, const std::string& message, const std::string& signature) {
    if (publicKey.size() != kP256PublicKeyBytes || publicKey[0] != 0x04 || signature.size() != kP256SignatureBytes)
        return false;
    // The public blob is the header followed by X and Y, without the point's leading 0x04.
    std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    std::copy(publicKey.begin() + 1, publicKey.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));

    Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!ecdsa.get() || !Succeeded(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                                       static_cast<ULONG>(blob.size()), 0)))
        return false;
    std::string digest;
    try {
        digest = Sha256Of(message);
    } catch (const Error&) {
        BCryptDestroyKey(key);
        return false;
    }
    NTSTATUS status = BCryptVerifySignature(
        key, nullptr, reinterpret_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
        reinterpret_cast<PUCHAR>(const_cast<char*>(signature.data())), static_cast<ULONG>(signature.size()), 0);
    BCryptDestroyKey(key);
    return Succeeded(status);
}

} // namespace qx::platform
