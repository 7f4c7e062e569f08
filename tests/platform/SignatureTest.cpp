// SHA-256 and ECDSA P-256 checks of the platform's crypto (OpenSSL here, CNG under Wine),
// against published test vectors and a signature made by an independent signer.
#include "platform/Signature.h"
#include "text/TextHelpers.h"

#include <gtest/gtest.h>

namespace qx::platform {
namespace {

std::string Hex(const std::string& hex) {
    return BytesOfHex(hex).value();
}

TEST(Sha256, KnownDigests) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& [message, digest] : cases)
        EXPECT_EQ(HexOf(Sha256Of(message)), digest) << message;

    // A million "a" in uneven pieces, as a download arrives.
    Sha256 pieces;
    std::string chunk(7919, 'a');
    std::size_t left = 1000000;
    while (left > 0) {
        std::size_t n = std::min(left, chunk.size());
        pieces.update(chunk.data(), n);
        left -= n;
    }
    EXPECT_EQ(HexOf(pieces.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Made with Python's cryptography over the message below by the tests' maker key.
const std::string kMessage = "#version=3.0.24\r\n";
const std::string kMakerKey =
    Hex("04c10b9ce8d474618319f795e9b641de9e4508a9477cb93b9b38e6ad2915f11d1c5252ff776a6c8501a6c7"
        "f9ceaa8ba08b9ed72a1b5577c80d6345468f4b72f871");
const std::string kStrangerKey =
    Hex("049588caca49fa9747d3ee2b892fdcf2558597fea95a10aa30ec4331220cf2730ad992ffb9dda22d75"
        "251a494523549618f473e78fb4389e078a74658f338ef942");
const std::string kSignature =
    Hex("cf979c49cae20060a3fc0a2900a5f6a242069b02361071c8e99eba68f84c3f26f6d964a6e0314c89f8be"
        "fdeec783d87d8daf4c929eb9536c5be7a87cc2b3ff9c");

TEST(P256Signature, OnlyTheRightKeyOverTheExactBytesVerifies) {
    std::string flipped = kSignature;
    flipped[40] ^= 0x01;
    std::string offCurve = kMakerKey;
    offCurve[64] ^= 0x01;
    std::string compressedMarker = kMakerKey;
    compressedMarker[0] = 0x02;
    struct Case {
        const char* name;
        std::string key, message, signature;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"the maker's signature", kMakerKey, kMessage, kSignature, true},
        {"one byte of the text changed", kMakerKey, "#version=3.0.25\r\n", kSignature, false},
        {"a byte appended", kMakerKey, kMessage + " ", kSignature, false},
        {"one bit of the signature flipped", kMakerKey, kMessage, flipped, false},
        {"another key", kStrangerKey, kMessage, kSignature, false},
        {"a signature cut short", kMakerKey, kMessage, kSignature.substr(0, 63), false},
        {"a signature too long", kMakerKey, kMessage, kSignature + "x", false},
        {"no signature", kMakerKey, kMessage, "", false},
        {"zeros as signature", kMakerKey, kMessage, std::string(64, '\0'), false},
        {"a key off the curve", offCurve, kMessage, kSignature, false},
        {"a key with a wrong marker", compressedMarker, kMessage, kSignature, false},
        {"no key", "", kMessage, kSignature, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VerifyP256Sha256(c.key, c.message, c.signature), c.valid) << c.name;
}

} // namespace
} // namespace qx::platform
