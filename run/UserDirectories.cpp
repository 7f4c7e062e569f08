#include "run/UserDirectories.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "text/Utf8.h"

#include <algorithm>

namespace qx {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool HasUserExtension(const std::string& upperName) {
    const std::size_t dot = upperName.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = upperName.substr(dot);
    return std::string("#.P#.G#.O#.Z#.R#.D#").find(extension) != std::string::npos ||
           std::string("#._P#._G#._O#._Z#._R#._D#").find(extension) != std::string::npos;
}

// The table engine and the settings file take paths as ANSI text; a name that does not
// survive the code page could never be exported or remembered.
bool FitsAnsiCodePage(const std::string& name) {
    return platform::FromAnsi(platform::ToAnsi(name)) == name;
}

bool QualifiesAsUser(const platform::DirEntry& entry) {
    if (!(entry.attributes & platform::kAttrDirectory) ||
        (entry.attributes & (platform::kAttrHidden | platform::kAttrSystem)))
        return false;
    return !entry.name.empty() && entry.name[0] != '.' && FitsAnsiCodePage(entry.name);
}

} // namespace

std::u16string UserSortKey(const std::string& name) {
    const std::u16string n = Utf8ToUtf16(name);
    const std::size_t dot = n.find(u'.');
    if (dot == std::u16string::npos || dot < 2 || !IsDigit(n[dot - 2]) || !IsDigit(n[dot - 1]))
        return n;
    const int year = (n[dot - 2] - u'0') * 10 + (n[dot - 1] - u'0');
    const int shifted = (year + 150) % 100; // 00..49 read as 2000..2049, 50..99 as 1950..1999
    const auto replaced = [](int digit) { return static_cast<char16_t>(256 - (u'0' + digit)); };
    return n.substr(0, dot - 2) + replaced(shifted / 10) + replaced(shifted % 10) + n.substr(dot);
}

std::vector<std::string> ListUserDirectories(const std::string& root) {
    std::vector<std::string> users;
    for (const platform::DirEntry& entry : platform::ListDirectory(root, "*.*")) {
        if (!QualifiesAsUser(entry))
            continue;
        const std::string upper = platform::UpperCase(entry.name);
        if (HasUserExtension(upper))
            users.push_back(upper);
    }
    std::sort(users.begin(), users.end(),
              [](const std::string& a, const std::string& b) { return UserSortKey(a) < UserSortKey(b); });
    users.push_back(kCommonEntry);
    return users;
}

} // namespace qx
