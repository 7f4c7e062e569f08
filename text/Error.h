#pragma once
// An unexpected failure: carries its exact text, shown as it stands in an error box, and its
// kind, which callers branch on and which a message shows by name where it names the error's type.
#include <stdexcept>
#include <string>

namespace qx {

enum class ErrorKind {
    Exception,    // any other failure
    ConvertError, // a text that is no number
    InOutError,   // a file that cannot be made
    MailError,    // a message the mail encoder cannot send
    DbfError,     // the table engine refused a table
    SmtpReply,    // the mail server refused a command
    Smtp,         // the mail client's settings or state
    Socket,       // a connection or its transport
    Tls,          // the TLS layer or a handshake
};

// "Exception", "EConvertError", "EInOutError", "EMailError", "EDBFError", "SmtpReplyError",
// "SmtpError", "SocketError", "TlsError".
const char* NameOf(ErrorKind kind);

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text, ErrorKind kind = ErrorKind::Exception)
        : std::runtime_error(text), kind_(kind) {}
    ErrorKind kind() const { return kind_; }
    std::string kindName() const { return NameOf(kind_); }

private:
    ErrorKind kind_;
};

} // namespace qx
