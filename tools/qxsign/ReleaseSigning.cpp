#include "tools/qxsign/ReleaseSigning.h"

#include "platform/FileStreams.h"
#include "platform/Signature.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace qx::tools {

namespace {

// "#size", "#hash" followed by digits only, then "=": the keys this tool writes.
bool IsFileCheckLine(const std::string& line) {
    std::string lower = AsciiLowerCase(line);
    if (lower.rfind("#size", 0) != 0 && lower.rfind("#hash", 0) != 0)
        return false;
    std::size_t end = lower.find_first_not_of("0123456789", 5);
    return end != std::string::npos && lower[end] == '=';
}

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};

struct CloseFile {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

std::optional<ReleaseFile> DescribeFile(const std::string& path) {
    std::ifstream in;
    platform::OpenForReading(in, path);
    if (!in)
        return std::nullopt;
    platform::Sha256 hash;
    ReleaseFile file;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        hash.update(buffer, static_cast<std::size_t>(in.gcount()));
        file.size += static_cast<std::uint64_t>(in.gcount());
    }
    if (in.bad())
        return std::nullopt;
    file.sha256 = hash.finish();
    return file;
}

std::string WithFileChecks(const std::string& information, const std::map<std::string, ReleaseFile>& files) {
    std::string out;
    for (std::size_t start = 0; start < information.size();) {
        std::size_t end = information.find('\n', start);
        end = end == std::string::npos ? information.size() : end + 1;
        std::string line = information.substr(start, end - start);
        if (!IsFileCheckLine(line))
            out += line;
        start = end;
    }
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    for (const auto& [key, file] : files) {
        std::string suffix = key.substr(std::string("#url").size());
        out += "#size" + suffix + "=" + std::to_string(file.size) + "\r\n";
        out += "#hash" + suffix + "=" + HexOf(file.sha256) + "\r\n";
    }
    return out;
}

std::string SignP256(const std::string& privateKeyPem, const std::string& bytes) {
    std::unique_ptr<FILE, CloseFile> pem(std::fopen(privateKeyPem.c_str(), "rb"));
    if (!pem)
        throw Error("Cannot open the private key " + privateKeyPem);
    std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>> key(
        PEM_read_PrivateKey(pem.get(), nullptr, nullptr, nullptr));
    if (!key || !EVP_PKEY_is_a(key.get(), "EC") || EVP_PKEY_get_bits(key.get()) != 256)
        throw Error("Not an ECDSA P-256 private key: " + privateKeyPem);

    std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>> context(EVP_MD_CTX_new());
    std::size_t length = 0;
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size()) != 1)
        throw Error("Signing failed");
    std::string der(length, '\0');
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(der.data()), &length,
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 1)
        throw Error("Signing failed");

    // The published form is r || s, which CNG verifies as it is.
    const auto* at = reinterpret_cast<const unsigned char*>(der.data());
    std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>> signature(
        d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(length)));
    std::string raw(platform::kP256SignatureBytes, '\0');
    auto* out = reinterpret_cast<unsigned char*>(raw.data());
    if (!signature || BN_bn2binpad(ECDSA_SIG_get0_r(signature.get()), out, 32) != 32 ||
        BN_bn2binpad(ECDSA_SIG_get0_s(signature.get()), out + 32, 32) != 32)
        throw Error("Signing failed");
    return raw;
}

} // namespace qx::tools
