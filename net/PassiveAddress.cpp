#include "net/PassiveAddress.h"

#include "text/TextHelpers.h"

#include <vector>

namespace qx::net {

namespace {

std::optional<int> Byte(const std::string& text) {
    const std::string digits = Trim(text, " ");
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > 255)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<PassiveAddress> ParsePassiveReply(const std::string& firstLine) {
    std::string numbers;
    std::size_t open = firstLine.find('(');
    std::size_t close = firstLine.find(')');
    if (open != std::string::npos && close != std::string::npos && close > open) {
        numbers = firstLine.substr(open + 1, close - open - 1);
    } else {
        std::size_t blank = firstLine.find_last_of(' ');
        numbers = blank == std::string::npos ? firstLine : firstLine.substr(blank + 1);
    }
    std::vector<int> values;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = numbers.find(',', start);
        auto value = Byte(numbers.substr(start, comma - start));
        if (!value || values.size() == 6)
            return std::nullopt;
        values.push_back(*value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != 6)
        return std::nullopt;
    PassiveAddress address;
    address.host = std::to_string(values[0]) + "." + std::to_string(values[1]) + "." + std::to_string(values[2]) + "." +
                   std::to_string(values[3]);
    address.port = static_cast<std::uint16_t>(values[4] * 256 + values[5]);
    return address;
}

PassiveAddress DataConnectionAddress(const PassiveAddress& announced, const std::string& peerAddress) {
    return {peerAddress, announced.port};
}

} // namespace qx::net
