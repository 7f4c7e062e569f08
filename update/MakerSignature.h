#pragma once
// Only the maker may publish an update: the information file is offered only when the
// signature published beside it verifies against the maker's key built into the program.
#include <string>

namespace qx::update {

// The signature's URL: the information file's URL with ".sig" appended.
std::string SignatureUrlFor(const std::string& informationUrl);

// The maker's public key set at configure time (uncompressed P-256 point).
std::string MakerPublicKey();

// True when `signature` (r || s, 64 bytes) is the maker's over exactly these bytes.
bool IsSignedByMaker(const std::string& text, const std::string& signature,
                     const std::string& publicKey = MakerPublicKey());

} // namespace qx::update
