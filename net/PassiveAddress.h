#pragma once
// The data address of a passive transfer: the port read from the 227 reply, the host the
// control connection's peer (which also serves servers behind NAT announcing a private address).
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

// Where to open the data connection: always the control connection's peer, with the announced
// port. The announced address is not trusted: a hostile server could aim the data at any host.
PassiveAddress DataConnectionAddress(const PassiveAddress& announced, const std::string& peerAddress);

} // namespace qx::net
