#include "text/Error.h"

namespace qx {

const char* NameOf(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::ConvertError:
        return "EConvertError";
    case ErrorKind::InOutError:
        return "EInOutError";
    case ErrorKind::MailError:
        return "EMailError";
    case ErrorKind::DbfError:
        return "EDBFError";
    case ErrorKind::SmtpReply:
        return "SmtpReplyError";
    case ErrorKind::Smtp:
        return "SmtpError";
    case ErrorKind::Socket:
        return "SocketError";
    case ErrorKind::Tls:
        return "TlsError";
    case ErrorKind::Exception:
        break;
    }
    return "Exception";
}

} // namespace qx
