#pragma once
// Information files as the maker publishes them, signed with the tests' key pair.
#include <string>

namespace qx::test {

// The private keys of tests/update/keys: the maker's (its public half is the built-in default)
// and a stranger's.
std::string MakerTestKey();
std::string StrangerKey();

// The "#size<suffix>" and "#hash<suffix>" lines that vouch for `bytes`.
std::string FileCheckLines(const std::string& suffix, const std::string& bytes);

// Writes `text` to `path` and its signature by `key` to `path` + ".sig".
void PublishSigned(const std::string& path, const std::string& text, const std::string& key = MakerTestKey());

} // namespace qx::test
