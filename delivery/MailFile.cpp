#include "delivery/MailFile.h"

#include "net/CommandText.h"
#include "platform/CodePage.h"
#include "text/Error.h"
#include "text/Utf8.h"

#include <algorithm>

namespace qx {

std::optional<std::string> MailFileFirstLine(const std::string& bytes, bool whole, const std::string& fileName) {
    if (bytes.empty())
        return std::nullopt;
    const std::size_t end = bytes.find('\n');
    if (end == std::string::npos && !whole)
        throw Error("Prva vrstica datoteke " + fileName + " je daljša od " + std::to_string(kMailFileLimit) +
                    " znakov.");
    std::string line = bytes.substr(0, end);
    if (line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!net::IsSafeCommandText(line))
        throw Error("Prva vrstica datoteke " + fileName + " vsebuje prelom vrstice ali znak NUL.");
    const auto codePoints = DecodeUtf8(line);
    if (std::any_of(codePoints.begin(), codePoints.end(), [](const CodePoint& cp) { return cp.invalidByte; }))
        return platform::FromAnsi(AnsiText(line));
    return line;
}

} // namespace qx
