#pragma once
// The capabilities of an EHLO reply (RFC 5321, 4.1.1.1): one keyword per line, with its
// parameters after a blank; AUTH lists its mechanisms (RFC 4954), also in the old "AUTH=" form.
#include <string>
#include <vector>

namespace qx::net {

// The lines of an EHLO reply after its greeting line, without their codes.
std::vector<std::string> CapabilityLines(const std::vector<std::string>& replyLines);
// Whether a line is exactly `capability` (upper case), blanks and letter case aside.
bool OffersCapability(const std::vector<std::string>& capabilities, const std::string& capability);
// The mechanisms of every AUTH line, in upper case ("AUTH LOGIN PLAIN", "AUTH=LOGIN").
std::vector<std::string> AuthMechanisms(const std::vector<std::string>& capabilities);

} // namespace qx::net
