#include "delivery/Notice.h"

#include "delivery/AccountFetch.h"
#include "delivery/IntegerText.h"

#include "BuildConfig.h"
#include "delivery/MailHandoff.h"
#include "net/AddressList.h"
#include "net/CommandText.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cstdio>

namespace qx {

namespace {

std::chrono::milliseconds replyTimeout = net::SmtpClient::kDefaultReplyTimeout;

struct DateAndTime {
    std::string date; // "dd.mm.yyyy"
    std::string time; // "hh:nn:ss"
};

DateAndTime Now() {
    std::tm t = platform::LocalTime(platform::NowUnix());
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return {date, time};
}

std::string HtmlBody(const DateAndTime& now, const RunValues& run) {
    return "Datum: " + now.date + "<br/>" + "Ura: " + now.time + "<br/>" + "<br/><br/>" +
           "Na FTP strežnik so bili iz programa KERNO prepisani podatki stranke " + run.firmName +
           ", izdani do datuma " + run.endDateText + "." + "<br/><br/>" +
           "Opomba: to sporočilo je bilo poslano v imenu avtorja sporočila in zato nanj ne odgovarjajte.<br/>" +
           "Če menite, da vam je sporočilo posredovano pomotoma, se prosimo obrnite na avtorja sporočila.";
}

net::MailMessage Notice(const RunValues& run, const std::string& recipients) {
    net::MailMessage message;
    message.from = {run.firmName, QX_SENDER_ADDRESS};
    message.to = net::ParseAddressList(recipients);
    message.subject = "Podatki stranke " + run.firmName + ", izdani do " + run.endDateText;
    message.parts.push_back({"text/html", "UTF-8", "", "", {HtmlBody(Now(), run)}});
    message.contentType = "multipart/mixed";
    message.charset = "UTF-8";
    return message;
}

} // namespace

void SetNoticeReplyTimeoutForTests(std::chrono::milliseconds timeout) {
    replyTimeout = timeout;
}

net::SmtpTlsMode TlsModeOf(std::int32_t sifriranje) {
    switch (sifriranje) {
    case 1:
        return net::SmtpTlsMode::Implicit;
    case 2:
        return net::SmtpTlsMode::StartTlsWhenOffered;
    case 3:
        return net::SmtpTlsMode::StartTlsRequired;
    default:
        return net::SmtpTlsMode::None;
    }
}

net::TlsVersion TlsVersionOf(std::int32_t ssl) {
    switch (ssl) {
    case 1:
        return net::TlsVersion::Tls1_1;
    case 2:
        return net::TlsVersion::Tls1_2;
    default:
        return net::TlsVersion::Tls1_0;
    }
}

bool sendmessage(Session& session, OperatorInterface& ui, const std::string& email) {
    if (email.empty()) {
        FetchMailAccount(session, [&ui] { ui.processMessages(); });
        return sendmailVortane(session, ui, email);
    }
    if (TrimBoth(platform::ToAnsi(email)).bytes.empty()) {
        ui.showMessage("Elektronski naslov za pošiljanje obvestila o prepisu podatkov ni podan.");
        return false;
    }
    const DateAndTime now = Now();
    const std::string& userDir = session.selection.userDir;
    handoffmail(session.selection, ui, platform::ToAnsi("Na FTP so prepisani podatki od " + userDir),
                platform::ToAnsi(now.date + " " + now.time + ": na FTP so prepisani podatki od " + userDir),
                std::nullopt, platform::ToAnsi(email));
    return true;
}

bool sendmailVortane(Session& session, OperatorInterface& ui, const std::string& recipients) {
    const std::string to = recipients.empty() ? session.serviceNoticeAddress : recipients;
    if (!net::IsSafeCommandText(to)) {
        // It would go into RCPT TO; the service's mail file is where it came from.
        ui.showMessage("Naslov za obvestilo iz datoteke .mail vsebuje prelom vrstice ali znak NUL.");
        return false;
    }
    const TSMTPdata& account = session.smtp;

    net::SmtpClient client;
    client.setIdleCallback([&ui] { ui.processMessages(); });
    client.setReplyTimeout(replyTimeout);
    client.setHost(account.streznik);
    client.setPort(IntegerFromText(account.vrata));
    client.setUserName(account.prijava);
    client.setPassword(account.geslo);
    const net::SmtpTlsMode mode = TlsModeOf(account.sifriranje);
    if (mode != net::SmtpTlsMode::None) {
        net::TlsSettings tls;
        tls.minVersion = tls.maxVersion = TlsVersionOf(account.ssl);
        client.attachTls(tls);
        client.setTlsMode(mode);
    }
    const net::MailMessage message = Notice(session.run, to);

    try {
        client.connect();
    } catch (const Error& e) {
        ui.showMessage(e.kindName() + " Napaka pri dostopu do SMTP strežnika : " + e.what());
    }
    if (!client.connected())
        return false;
    bool sent = false;
    try {
        client.send(message);
        sent = true;
        ui.showMessage("Obvestilo o prepisu podatkov je bilo poslano po elektronski pošti na naslov " + to + ".");
    } catch (const Error& e) {
        ui.showMessage(e.what());
    }
    client.disconnect();
    return sent;
}

} // namespace qx
