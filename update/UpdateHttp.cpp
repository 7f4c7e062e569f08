#include "update/UpdateHttp.h"

#include "BuildConfig.h"
#include "net/HttpClient.h"
#include "net/HttpDate.h"
#include "net/Url.h"
#include "platform/Environment.h"
#include "platform/HostName.h"
#include "text/Error.h"
#include "update/VersionNumber.h"

#include <chrono>

namespace qx::update {

namespace {

using Clock = std::chrono::steady_clock;

// Thrown from the socket's idle callback to end a transfer between two wait slices.
struct TransferStopped {
    bool cancelled;
};

// Looks at the cancel flag and the deadlines between the socket's wait slices.
class Watchdog {
public:
    Watchdog(const HttpGetOptions& options, const std::atomic<bool>& cancel)
        : cancel_(cancel), connectDeadline_(Clock::now() + std::chrono::milliseconds(options.connectTimeoutMs)) {
        if (options.wholeTimeoutMs > 0)
            wholeDeadline_ = Clock::now() + std::chrono::milliseconds(options.wholeTimeoutMs);
    }
    void connected() { connecting_ = false; }
    // Closing the connection runs the idle callback too; nothing may throw from there.
    void disarm() { armed_ = false; }
    void check() const {
        if (!armed_)
            return;
        if (cancel_)
            throw TransferStopped{true};
        auto now = Clock::now();
        if ((connecting_ && now >= connectDeadline_) || (wholeDeadline_ && now >= *wholeDeadline_))
            throw TransferStopped{false};
    }

private:
    const std::atomic<bool>& cancel_;
    Clock::time_point connectDeadline_;
    std::optional<Clock::time_point> wholeDeadline_;
    bool connecting_ = true;
    bool armed_ = true;
};

// Disarms the watchdog before the client that calls it closes its connection.
class DisarmOnExit {
public:
    explicit DisarmOnExit(Watchdog& watchdog) : watchdog_(watchdog) {}
    ~DisarmOnExit() { watchdog_.disarm(); }
    DisarmOnExit(const DisarmOnExit&) = delete;
    DisarmOnExit& operator=(const DisarmOnExit&) = delete;

private:
    Watchdog& watchdog_;
};

// The checks a download needs: the certificate must be vouched for by the system's trusted
// roots and name the host, and TLS 1.2 at least.
net::TlsSettings VerifiedTls(const std::string& host) {
    net::TlsSettings settings;
    settings.minVersion = net::TlsVersion::Tls1_2;
    settings.verifyPeer = true;
    settings.verifyHost = host;
    // Server name indication carries names only, never an address.
    if (!platform::IsNumericHost(host))
        settings.serverName = host;
    return settings;
}

std::string RequestFor(const net::Url& url, const HttpGetOptions& options) {
    std::string request = "GET " + url.path + " HTTP/1.0\r\nHost: " + url.hostHeader() +
                          "\r\nAccept: text/html, */*\r\nUser-Agent: qx/" + kOwnVersion + "\r\n";
    if (options.bypassCaches)
        request += "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    return request + "Connection: close\r\n\r\n";
}

// Reads the body of a successful answer into the sink, within the caller's limit.
void ReadBody(net::HttpClient& client, const net::HttpResponseHead& head, HttpBodySink& sink,
              const HttpGetOptions& options, const Watchdog& watchdog, HttpResult& result) {
    if (!head.chunked())
        if (auto length = head.contentLength())
            result.announcedSize = *length;
    if (!sink.begin(result.announcedSize)) {
        result.outcome = TransferOutcome::WriteFailed;
        return;
    }
    result.outcome = TransferOutcome::Complete;
    client.readBody(head, [&](const char* data, std::size_t size) {
        watchdog.check(); // the socket's idle callback runs only while it waits
        if (options.maxBodyBytes > 0 && result.received + size > options.maxBodyBytes)
            result.outcome = TransferOutcome::TooLarge;
        else if (!sink.write(data, size))
            result.outcome = TransferOutcome::WriteFailed;
        else
            result.received += size;
        return result.outcome == TransferOutcome::Complete;
    });
}

} // namespace

HttpResult HttpGet(const std::string& urlText, HttpBodySink& sink, const HttpGetOptions& options,
                   const std::atomic<bool>& cancel) {
    HttpResult result;
    net::Url url;
    try {
        url = net::ParseUrl(urlText);
    } catch (const Error&) {
        result.error = "Not an http or https URL: " + urlText;
        return result;
    }
    Watchdog watchdog(options, cancel);
    net::HttpClient client(std::string(), VerifiedTls(url.host));
    DisarmOnExit disarm(watchdog);
    client.setIdleCallback([&watchdog] { watchdog.check(); });
    client.setTimeouts(platform::Socket::kDefaultConnectTimeout, std::chrono::milliseconds(options.idleTimeoutMs));
    bool headRead = false;
    try {
        client.open(url);
        watchdog.connected();
        net::HttpResponseHead head = client.send(RequestFor(url, options));
        watchdog.check();
        headRead = true;
        result.status = head.status;
        if (auto modified = head.header("Last-Modified"))
            result.lastModifiedUnix = net::ParseHttpDate(*modified);
        if (result.status != 200 && result.status != 206)
            result.outcome = TransferOutcome::ErrorStatus;
        else
            ReadBody(client, head, sink, options, watchdog, result);
    } catch (const TransferStopped& stopped) {
        result.outcome = stopped.cancelled ? TransferOutcome::Cancelled
                         : headRead        ? TransferOutcome::BrokenOff
                                           : TransferOutcome::NoAnswer;
        result.error = stopped.cancelled ? "Cancelled" : "Timed out";
    } catch (const Error& error) {
        result.outcome = headRead ? TransferOutcome::BrokenOff : TransferOutcome::NoAnswer;
        result.error = error.what();
    }
    return result;
}

std::string UpdateServerRoot() {
    return platform::RootOrOverride("QX_UPDATE_ROOT", QX_UPDATE_ROOT_DEFAULT);
}

std::string InformationFileUrl() {
    return UpdateServerRoot() + "/prenos/qfd/qx.inf";
}

} // namespace qx::update
