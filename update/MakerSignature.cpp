#include "update/MakerSignature.h"

#include "BuildConfig.h"
#include "platform/Signature.h"
#include "text/TextHelpers.h"

namespace qx::update {

std::string SignatureUrlFor(const std::string& informationUrl) {
    return informationUrl + ".sig";
}

std::string MakerPublicKey() {
    return BytesOfHex(QX_UPDATE_PUBLIC_KEY_HEX).value_or("");
}

bool IsSignedByMaker(const std::string& text, const std::string& signature, const std::string& publicKey) {
    return platform::VerifyP256Sha256(publicKey, text, signature);
}

} // namespace qx::update
