#include "net/MessageEncoder.h"

#include "net/MimeText.h"
#include "platform/Clock.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cstdio>
#include <cstdlib>

namespace qx::net {

namespace {

bool IsBlankText(const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        if (line.find_first_not_of(" \t\r\n") != std::string::npos)
            return false;
    return true;
}

void AddHeader(std::string& out, const std::string& name, const std::string& value) {
    if (value.empty())
        return;
    out += FoldHeaderLine(name + ": " + value);
    out += "\r\n";
}

} // namespace

std::string FormatMailDate(std::int64_t unixSeconds) {
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm t = platform::LocalTime(unixSeconds);
    int offset = platform::LocalUtcOffsetMinutes(unixSeconds);
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    char out[64];
    std::snprintf(out, sizeof out, "%s, %d %s %d %s %s", kDays[t.tm_wday], t.tm_mday, kMonths[t.tm_mon],
                  t.tm_year + 1900, time, zone);
    return out;
}

std::string FormatAddress(const MailAddress& address, bool isFrom) {
    std::string name = address.name.empty() && isFrom ? address.address : address.name;
    if (name.empty())
        return address.address;
    return EncodeDisplayName(name) + " <" + address.address + ">";
}

std::string EncodeMessage(const MailMessage& message) {
    if (message.parts.size() != 1 || !IsBlankText(message.body))
        throw Error("Only a single-part message can be sent.", ErrorKind::MailError);
    const MailPart& part = message.parts.front();
    std::string encoding = part.transferEncoding;
    if (encoding.empty() && !StartsWithIgnoringCase(part.contentType, "multipart"))
        encoding = "quoted-printable";
    if (!encoding.empty() && encoding != "quoted-printable")
        throw Error("Unsupported transfer encoding: " + encoding, ErrorKind::MailError);

    std::string to;
    for (const auto& recipient : message.to)
        to += (to.empty() ? "" : ", ") + FormatAddress(recipient, false);

    std::string out;
    AddHeader(out, "From", FormatAddress(message.from, true));
    AddHeader(out, "Subject", EncodeHeaderText(message.subject));
    AddHeader(out, "To", to);
    AddHeader(out, "MIME-Version", "1.0");
    AddHeader(out, "Date", FormatMailDate(message.date.value_or(platform::NowUnix())));
    if (!part.contentType.empty())
        AddHeader(out, "Content-Type", part.contentType + "; charset=\"" + part.charset + "\"");
    AddHeader(out, "Content-Transfer-Encoding", encoding);
    AddHeader(out, "Content-Disposition", part.disposition.empty() ? "inline" : part.disposition);
    out += "\r\n";
    // The lines are UTF-8 already, the charset of every part this program sends.
    out += EncodeQuotedPrintable(part.body);
    out += "\r\n";
    return out;
}

} // namespace qx::net
