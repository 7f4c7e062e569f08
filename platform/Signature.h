#pragma once
// SHA-256 and ECDSA P-256 signature checks through the system's crypto (OpenSSL on POSIX,
// CNG on Windows), so that only files the maker vouches for are installed.
#include <cstddef>
#include <memory>
#include <string>

namespace qx::platform {

inline constexpr std::size_t kSha256Bytes = 32;
// A P-256 public key as its uncompressed point: 0x04, X, Y.
inline constexpr std::size_t kP256PublicKeyBytes = 65;
// A P-256 signature as r and s, 32 bytes each, big-endian (IEEE P1363).
inline constexpr std::size_t kP256SignatureBytes = 64;

// A SHA-256 digest computed piece by piece, for files too big to hold in memory.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const char* data, std::size_t size);
    // The 32-byte digest; the object is used up afterwards.
    std::string finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

std::string Sha256Of(const std::string& bytes);

// True only when `signature` (r || s) is a valid ECDSA signature over SHA-256 of `message`
// by `publicKey` (uncompressed point). Malformed keys or signatures are simply not valid.
bool VerifyP256Sha256(const std::string& publicKey, const std::string& message, const std::string& signature);

} // namespace qx::platform
