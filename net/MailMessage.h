#pragma once
// The message model the SMTP client sends: what the notice fills, nothing more.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::net {

struct MailAddress {
    std::string name;    // display name (UTF-8), may be empty
    std::string address; // the bare address
    bool operator==(const MailAddress&) const = default;
};

struct MailPart {
    std::string contentType;       // e.g. "text/html"
    std::string charset;           // e.g. "UTF-8"
    std::string transferEncoding;  // empty: quoted-printable for any type that is not multipart
    std::string disposition;       // empty: inline
    std::vector<std::string> body; // lines (UTF-8)
};

struct MailMessage {
    MailAddress from;
    std::string sender; // envelope sender when set, else the From address
    std::vector<MailAddress> to;
    std::string subject;
    std::vector<std::string> body; // the message's own body lines
    std::vector<MailPart> parts;
    std::string contentType; // not written in the single-part form
    std::string charset;
    std::optional<std::int64_t> date; // seconds since 1970 UTC; none means now
};

} // namespace qx::net
