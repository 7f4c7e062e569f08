#pragma once
// The update information file as the maker's web server publishes it. It is not read line by
// line: every key is looked up in the whole lower-cased text, the first occurrence counts.
#include "text/EightBitText.h"
#include <optional>
#include <string>
#include <vector>

namespace qx::update {

enum class UpgradeMethod { SelfUpgrade = 0, ExternalSetup = 1, Redirect = 2 };

// The raw values of one information file, converted from the ANSI code page to UTF-8.
struct InformationFile {
    std::string version;            // #version, empty when missing
    std::vector<std::string> queue; // #url, #url0, #url<n+1>...: "URL" or "URL=target path"
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

UpgradeMethod ReadUpgradeMethod(const std::string& text);

InformationFile ReadInformationFile(const AnsiText& text);

} // namespace qx::update
