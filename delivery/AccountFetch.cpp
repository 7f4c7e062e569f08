#include "delivery/AccountFetch.h"

#include "BuildConfig.h"
#include "delivery/IntegerText.h"
#include "delivery/Scramble.h"
#include "net/HttpClient.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "text/TextHelpers.h"

namespace qx {

namespace {

constexpr const char* kFtpSeparator = ";";
constexpr const char* kMailSeparator = "\x01";
// A descriptor is a few hundred bytes; this only stops a runaway server from filling memory.
constexpr std::size_t kDescriptorLimit = 1 << 20;

net::TlsSettings DescriptorTls() {
    net::TlsSettings tls;
    tls.minVersion = net::TlsVersion::Tls1_0;
    tls.maxVersion = net::TlsVersion::Tls1_2;
    tls.cipherList = "AES:ALL:!aNULL:!eNULL:+RC4:@STRENGTH";
    return tls;
}

} // namespace

std::string ServiceHttpsRoot() {
    return platform::RootOrOverride("QX_HTTPS_ROOT", QX_HTTPS_ROOT_DEFAULT);
}
std::string ServiceHttpRoot() {
    return platform::RootOrOverride("QX_HTTP_ROOT", QX_HTTP_ROOT_DEFAULT);
}

std::string DownloadDescriptor(const std::string& fileName, const std::function<void()>& idle) {
    net::HttpClient client(kDescriptorUserAgent, DescriptorTls());
    client.setIdleCallback(idle);
    client.setBodyLimit(kDescriptorLimit);
    const std::string name = platform::LowerCase(fileName);
    std::string body;
    try {
        client.get(ServiceHttpsRoot() + "/prenos/" + name, body);
    } catch (const Error&) {
        try {
            client.get(ServiceHttpRoot() + "/ftp/" + name, body);
        } catch (const Error&) {
            // Neither root has it: the caller finds the text empty.
        }
    }
    return platform::FromAnsi(AnsiText(body));
}

void ApplyFtpDescriptor(const std::string& scrambled, TFTPdata& ftp) {
    const std::string text = Descramble(scrambled, kScrambleSeed);
    ftp.streznik = Token(text, kFtpSeparator, 1);
    ftp.prijava = Token(text, kFtpSeparator, 2);
    ftp.geslo = Token(text, kFtpSeparator, 3);
    ftp.vrata = Token(text, kFtpSeparator, 4);
    ftp.root = Token(text, kFtpSeparator, 5);
}

void ApplyMailDescriptor(const std::string& scrambled, TSMTPdata& smtp) {
    const std::string text = Descramble(scrambled, kScrambleSeed);
    smtp.streznik = Token(text, kMailSeparator, 1);
    smtp.prijava = Token(text, kMailSeparator, 2);
    smtp.geslo = Token(text, kMailSeparator, 3);
    smtp.vrata = Token(text, kMailSeparator, 4);
    smtp.sifriranje = IntegerFromText(Token(text, kMailSeparator, 5));
    smtp.ssl = IntegerFromText(Token(text, kMailSeparator, 6));
}

void FetchFtpAccount(Session& session, const std::string& fileName, const std::function<void()>& idle) {
    session.ftp.streznik.clear();
    const std::string text = DownloadDescriptor(fileName, idle);
    if (!text.empty())
        ApplyFtpDescriptor(text, session.ftp);
}

void FetchMailAccount(Session& session, const std::function<void()>& idle) {
    const std::string text = DownloadDescriptor("vortane.email", idle);
    if (!text.empty())
        ApplyMailDescriptor(text, session.smtp);
}

} // namespace qx
