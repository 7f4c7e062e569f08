#include "net/SmtpCapabilities.h"

#include "text/TextHelpers.h"

#include <algorithm>
#include <sstream>

namespace qx::net {

std::vector<std::string> CapabilityLines(const std::vector<std::string>& replyLines) {
    std::vector<std::string> capabilities;
    for (std::size_t i = 1; i < replyLines.size(); ++i)
        capabilities.push_back(replyLines[i].size() > 4 ? replyLines[i].substr(4) : std::string());
    return capabilities;
}

bool OffersCapability(const std::vector<std::string>& capabilities, const std::string& capability) {
    for (const auto& line : capabilities)
        if (AsciiUpperCase(Trim(line)) == capability)
            return true;
    return false;
}

std::vector<std::string> AuthMechanisms(const std::vector<std::string>& capabilities) {
    std::vector<std::string> mechanisms;
    for (const auto& line : capabilities) {
        std::string upper = AsciiUpperCase(line);
        if (upper.size() < 5 || upper.compare(0, 4, "AUTH") != 0 || (upper[4] != ' ' && upper[4] != '='))
            continue;
        std::string rest = upper.substr(5);
        std::replace(rest.begin(), rest.end(), '=', ' ');
        std::istringstream words(rest);
        for (std::string word; words >> word;)
            mechanisms.push_back(word);
    }
    return mechanisms;
}

} // namespace qx::net
