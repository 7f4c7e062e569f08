#pragma once
// What qxsign does: the size and SHA-256 keys for the files of a release, and the maker's
// signature over the exact bytes of the information file.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace qx::tools {

struct ReleaseFile {
    std::uint64_t size = 0;
    std::string sha256; // 32 bytes
};

// Size and SHA-256 of a file on disk; nullopt when it cannot be read.
std::optional<ReleaseFile> DescribeFile(const std::string& path);

// The information file with every "#size..." and "#hash..." line removed and, at its end, one
// "#size<n>=" and "#hash<n>=" line for each queue key ("#url1" -> n = "1") in `files`.
std::string WithFileChecks(const std::string& information, const std::map<std::string, ReleaseFile>& files);

// The ECDSA P-256 / SHA-256 signature (r || s, 64 bytes) of `bytes` by the private key in the
// PEM file. Throws qx::Error when the key cannot be read or is not a P-256 key.
std::string SignP256(const std::string& privateKeyPem, const std::string& bytes);

} // namespace qx::tools
