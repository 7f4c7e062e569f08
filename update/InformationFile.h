#pragma once
// The update information file as the maker's web server publishes it. It is not read line by
// line: every key is looked up in the whole lower-cased text, the first occurrence counts.
#include "text/EightBitText.h"
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::update {

enum class UpgradeMethod { SelfUpgrade = 0, ExternalSetup = 1, Redirect = 2 };

// What the maker vouches for about one queued file: "#size" and "#hash" with the suffix of
// its "#url" key (#url1 -> #size1, #hash1), the size in bytes and the SHA-256 in hex.
struct FileCheck {
    std::optional<std::uint64_t> size; // nullopt when missing or not a plain decimal number
    std::string sha256;                // 32 bytes; empty when missing or not 64 hex digits
};

// The raw values of one information file, converted from the ANSI code page to UTF-8.
struct InformationFile {
    std::string version;            // #version, empty when missing
    std::vector<std::string> queue; // #url, #url0, #url<n+1>...: "URL" or "URL=target path"
    std::vector<FileCheck> checks;  // one for each queue entry, in the same order
    std::string message;            // #message in braces, empty when missing
    UpgradeMethod method = UpgradeMethod::SelfUpgrade;
};

// The value of `key` ("#version"): from after "key=" up to the first control character.
// The last two bytes of the text never belong to a value. nullopt when the key is missing.
std::optional<std::string> FindInformationValue(const std::string& text, const std::string& key);

// The #message block: from after "#message={" up to the first "}", line breaks included.
std::optional<std::string> FindInformationMessage(const std::string& text);

// The download queue: #url, then #url0, then "#url" followed by n+1, n+2... (n = entries so
// far) until the first missing key.
std::vector<std::string> BuildDownloadQueue(const std::string& text);
// The keys of that queue, lower-cased, in its order ("#url", "#url0", "#url1"...).
std::vector<std::string> DownloadQueueKeys(const std::string& text);

UpgradeMethod ReadUpgradeMethod(const std::string& text);

InformationFile ReadInformationFile(const AnsiText& text);

} // namespace qx::update
