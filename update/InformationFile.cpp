#include "update/InformationFile.h"

#include "platform/CodePage.h"
#include "text/TextHelpers.h"

#include <map>

namespace qx::update {

namespace {

// Where a value may end at the latest: the last two bytes of the text are never part of one.
std::size_t ValueLimit(const std::string& text) {
    return text.size() >= 2 ? text.size() - 2 : 0;
}

std::string ValueFrom(const std::string& text, std::size_t start) {
    std::size_t limit = ValueLimit(text);
    std::size_t end = start;
    while (end < limit && static_cast<unsigned char>(text[end]) >= 32)
        ++end;
    return start < end ? text.substr(start, end - start) : std::string();
}

// First position of every "#url<digits>=" key in the lower-cased text, found in one pass so
// that a file with thousands of keys is not searched once per key.
std::map<std::string, std::size_t> IndexUrlKeys(const std::string& lower) {
    std::map<std::string, std::size_t> found;
    for (std::size_t at = lower.find("#url"); at != std::string::npos; at = lower.find("#url", at + 1)) {
        std::size_t end = at + 4;
        while (end < lower.size() && lower[end] >= '0' && lower[end] <= '9')
            ++end;
        if (end < lower.size() && lower[end] == '=')
            found.try_emplace(lower.substr(at, end - at), end + 1);
    }
    return found;
}

// The queue's keys in order, each with where its value starts.
std::vector<std::pair<std::string, std::size_t>> QueueKeys(const std::string& text) {
    std::map<std::string, std::size_t> keys = IndexUrlKeys(AsciiLowerCase(text));
    std::vector<std::pair<std::string, std::size_t>> queue;
    auto take = [&](const std::string& key) {
        auto it = keys.find(key);
        if (it == keys.end())
            return false;
        queue.emplace_back(key, it->second);
        return true;
    };
    take("#url");
    take("#url0");
    for (std::size_t n = queue.size() + 1; take("#url" + std::to_string(n)); ++n) {
    }
    return queue;
}

std::optional<std::string> ValueOf(const std::string& text, const std::string& lower, const std::string& key) {
    std::string needle = AsciiLowerCase(key) + "=";
    std::size_t at = lower.find(needle);
    if (at == std::string::npos)
        return std::nullopt;
    return ValueFrom(text, at + needle.size());
}

// Sizes above this many digits are no size of ours (and could not be held).
constexpr std::size_t kMaxSizeDigits = 15;
constexpr std::size_t kSha256HexDigits = 64;

FileCheck ReadFileCheck(const std::string& text, const std::string& lower, const std::string& urlKey) {
    std::string suffix = urlKey.substr(std::string("#url").size());
    FileCheck check;
    std::optional<std::string> size = ValueOf(text, lower, "#size" + suffix);
    if (size && !size->empty() && size->size() <= kMaxSizeDigits &&
        size->find_first_not_of("0123456789") == std::string::npos)
        check.size = std::stoull(*size);
    std::optional<std::string> hash = ValueOf(text, lower, "#hash" + suffix);
    if (hash && hash->size() == kSha256HexDigits)
        check.sha256 = BytesOfHex(*hash).value_or("");
    return check;
}

} // namespace

std::optional<std::string> FindInformationValue(const std::string& text, const std::string& key) {
    return ValueOf(text, AsciiLowerCase(text), key);
}

std::optional<std::string> FindInformationMessage(const std::string& text) {
    const std::string needle = "#message={";
    std::size_t at = AsciiLowerCase(text).find(needle);
    if (at == std::string::npos)
        return std::nullopt;
    std::size_t start = at + needle.size();
    std::size_t end = std::min(text.find('}', start), ValueLimit(text));
    return start < end ? text.substr(start, end - start) : std::string();
}

std::vector<std::string> BuildDownloadQueue(const std::string& text) {
    std::vector<std::string> queue;
    for (const auto& [key, start] : QueueKeys(text))
        queue.push_back(ValueFrom(text, start));
    return queue;
}

std::vector<std::string> DownloadQueueKeys(const std::string& text) {
    std::vector<std::string> keys;
    for (const auto& [key, start] : QueueKeys(text))
        keys.push_back(key);
    return keys;
}

UpgradeMethod ReadUpgradeMethod(const std::string& text) {
    std::optional<std::string> value = FindInformationValue(text, "#method");
    if (value && !value->empty() && (*value)[0] == '1')
        return UpgradeMethod::ExternalSetup;
    if (value && !value->empty() && (*value)[0] == '2')
        return UpgradeMethod::Redirect;
    return UpgradeMethod::SelfUpgrade;
}

InformationFile ReadInformationFile(const AnsiText& text) {
    auto utf8 = [](const std::string& ansi) { return platform::FromAnsi(AnsiText(ansi)); };
    InformationFile file;
    file.version = utf8(FindInformationValue(text.bytes, "#version").value_or(""));
    std::string lower = AsciiLowerCase(text.bytes);
    for (const auto& [key, start] : QueueKeys(text.bytes)) {
        file.queue.push_back(utf8(ValueFrom(text.bytes, start)));
        file.checks.push_back(ReadFileCheck(text.bytes, lower, key));
    }
    file.message = utf8(FindInformationMessage(text.bytes).value_or(""));
    file.method = ReadUpgradeMethod(text.bytes);
    return file;
}

} // namespace qx::update
