#include "update/VersionNumber.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace qx::update {

namespace {

// Splits at "." into four parts; a fourth part keeps whatever dots follow it.
std::array<std::string, 4> SplitParts(const std::string& version) {
    std::array<std::string, 4> parts{"0", "0", "0", "0"};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t dot = i < 3 ? version.find('.', start) : std::string::npos;
        parts[i] = version.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    if (version.empty())
        parts[0] = "0";
    return parts;
}

// A 32-bit integer written in decimal digits with an optional sign; nullopt otherwise.
std::optional<std::int64_t> AsInteger(const std::string& part) {
    std::size_t i = (!part.empty() && (part[0] == '-' || part[0] == '+')) ? 1 : 0;
    if (i == part.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < part.size(); ++i) {
        if (part[i] < '0' || part[i] > '9')
            return std::nullopt;
        value = value * 10 + (part[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return part[0] == '-' ? -value : value;
}

bool TextIsGreater(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) > static_cast<unsigned char>(b[i]);
    return a.size() > b.size();
}

} // namespace

bool IsNewerVersion(const std::string& offered, const std::string& own) {
    std::array<std::string, 4> theirs = SplitParts(offered);
    std::array<std::string, 4> ours = SplitParts(own);
    for (int i = 0; i < 4; ++i) {
        std::optional<std::int64_t> a = AsInteger(theirs[i]);
        std::optional<std::int64_t> b = AsInteger(ours[i]);
        if (!a || !b)
            return TextIsGreater(offered, own);
        if (*a != *b)
            return *a > *b;
    }
    return false;
}

} // namespace qx::update
