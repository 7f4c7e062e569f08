#pragma once
// The data address of a passive transfer: read from the 227 reply, and replaced by the
// control connection's peer when a server behind NAT announces its private address.
#include <cstdint>
#include <optional>
#include <string>

namespace qx::net {

struct PassiveAddress {
    std::string host; // dotted IPv4
    std::uint16_t port = 0;
};

// The six numbers h1,h2,h3,h4,p1,p2 between the first "(" and the first ")" of the reply's
// first line, or after its last blank when it has no parentheses; nullopt when they are not
// six numbers from 0 to 255.
std::optional<PassiveAddress> ParsePassiveReply(const std::string& firstLine);

// 127.*, 10.*, 169.254.*, 192.168.*, 172.16.* to 172.31.*
bool IsPrivateAddress(const std::string& address);

// Where to open the data connection: `announced`, or the peer's address with the announced
// port when `announced` is private or local and the peer is not.
PassiveAddress DataConnectionAddress(const PassiveAddress& announced, const std::string& peerAddress);

} // namespace qx::net
