#include "platform/CodePage.h"
#include "platform/Wildcard.h"
#include "text/Utf8.h"

#include <vector>

namespace qx::platform {

bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    if (pattern == "*" || pattern == "*.*")
        return true;
    const std::u32string text = [&] {
        std::u32string s;
        for (const CodePoint& cp : DecodeUtf8(UpperCase(name)))
            s += cp.value;
        return s;
    }();
    std::u32string glob;
    for (const CodePoint& cp : DecodeUtf8(UpperCase(pattern)))
        glob += cp.value;

    // Greedy matching with one back-track point for the last "*".
    std::size_t t = 0, g = 0, starG = std::u32string::npos, starT = 0;
    while (t < text.size()) {
        if (g < glob.size() && (glob[g] == U'?' || glob[g] == text[t])) {
            ++t;
            ++g;
        } else if (g < glob.size() && glob[g] == U'*') {
            starG = g++;
            starT = t;
        } else if (starG != std::u32string::npos) {
            g = starG + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == U'*')
        ++g;
    return g == glob.size();
}

} // namespace qx::platform
