#include "update/UpdateHttp.h"

#include "BuildConfig.h"
#include "text/Error.h"
#include "platform/Environment.h"
#include "update/HttpUrl.h"
#include "update/TransferStream.h"
#include "update/VersionNumber.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace qx::update {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxHeadBytes = 65536; // a longer head is no answer we understand
constexpr std::size_t kBufferBytes = 4096;

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string TrimBlanks(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

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
    void check() const {
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
};

std::string RequestFor(const HttpUrl& url, const HttpGetOptions& options) {
    std::string host = url.host;
    if (url.port != (url.https ? 443 : 80))
        host += ":" + std::to_string(url.port);
    std::string request = "GET " + url.path + " HTTP/1.0\r\nHost: " + host +
                          "\r\nAccept: text/html, */*\r\nUser-Agent: qx/" + kOwnVersion + "\r\n";
    if (options.bypassCaches)
        request += "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    return request + "Connection: close\r\n\r\n";
}

} // namespace

bool ParseHttpHead(const std::string& head, HttpResult& result) {
    std::size_t lineEnd = head.find('\n');
    std::string statusLine = head.substr(0, lineEnd);
    if (statusLine.rfind("HTTP/", 0) != 0)
        return false;
    std::size_t space = statusLine.find(' ');
    if (space == std::string::npos || statusLine.size() < space + 4)
        return false;
    std::string code = statusLine.substr(space + 1, 3);
    if (code.find_first_not_of("0123456789") != std::string::npos)
        return false;
    result.status = std::stoi(code);
    for (std::size_t at = lineEnd; at != std::string::npos && at + 1 < head.size();) {
        std::size_t next = head.find('\n', at + 1);
        std::string line = head.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        at = next;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = LowerAscii(TrimBlanks(line.substr(0, colon)));
        std::string value = TrimBlanks(line.substr(colon + 1));
        if (name == "content-length" && !value.empty() && value.size() <= 18 &&
            value.find_first_not_of("0123456789") == std::string::npos)
            result.announcedSize = std::stoull(value);
        else if (name == "last-modified")
            result.lastModifiedUnix = ParseHttpDate(value);
    }
    return true;
}

namespace {

// Reads the head and the body of one answer; the stream's errors pass to the caller.
void ReadAnswer(TransferStream& stream, HttpBodySink& sink, const HttpGetOptions& options, const Watchdog& watchdog,
                HttpResult& result, bool& headRead) {
    char buffer[kBufferBytes];
    std::string received;
    std::size_t headEnd = std::string::npos;
    std::size_t separator = 0;
    while (headEnd == std::string::npos) {
        std::size_t n = stream.receive(buffer, sizeof buffer);
        watchdog.check();
        if (n == 0)
            throw Error("No answer from the server");
        received.append(buffer, n);
        for (const char* marker : {"\r\n\r\n", "\n\n"}) {
            std::size_t at = received.find(marker);
            if (at != std::string::npos && at < headEnd) {
                headEnd = at;
                separator = std::char_traits<char>::length(marker);
            }
        }
        if (headEnd == std::string::npos && received.size() > kMaxHeadBytes)
            throw Error("The answer's head is too long");
    }
    if (!ParseHttpHead(received.substr(0, headEnd), result))
        throw Error("No HTTP answer");
    headRead = true;
    if (result.status != 200 && result.status != 206) {
        result.outcome = TransferOutcome::ErrorStatus;
        return;
    }
    if (!sink.begin(result.announcedSize)) {
        result.outcome = TransferOutcome::WriteFailed;
        return;
    }
    // The body: what came with the head, then reads until the announced size or the end of the connection.
    auto take = [&](const char* data, std::size_t size) {
        if (result.announcedSize)
            size = static_cast<std::size_t>(std::min<std::uint64_t>(size, *result.announcedSize - result.received));
        if (options.maxBodyBytes > 0 && result.received + size > options.maxBodyBytes)
            return TransferOutcome::TooLarge;
        if (size > 0 && !sink.write(data, size))
            return TransferOutcome::WriteFailed;
        result.received += size;
        return TransferOutcome::Complete;
    };
    std::string first = received.substr(headEnd + separator);
    result.outcome = take(first.data(), first.size());
    while (result.outcome == TransferOutcome::Complete &&
           (!result.announcedSize || result.received < *result.announcedSize)) {
        std::size_t n = stream.receive(buffer, sizeof buffer);
        watchdog.check(); // the socket's idle callback runs only while it waits
        if (n == 0 && result.announcedSize)
            result.outcome = TransferOutcome::BrokenOff;
        if (n == 0)
            break;
        result.outcome = take(buffer, n);
    }
}

} // namespace

HttpResult HttpGet(const std::string& url, HttpBodySink& sink, const HttpGetOptions& options,
                   const std::atomic<bool>& cancel) {
    HttpResult result;
    std::optional<HttpUrl> parts = ParseHttpUrl(url);
    if (!parts) {
        result.error = "Not an http or https URL: " + url;
        return result;
    }
    Watchdog watchdog(options, cancel);
    bool headRead = false;
    try {
        std::unique_ptr<TransferStream> stream = OpenTransferStream(
            parts->host, static_cast<std::uint16_t>(parts->port), parts->https, [&watchdog] { watchdog.check(); },
            std::chrono::milliseconds(options.idleTimeoutMs));
        watchdog.connected();
        std::string request = RequestFor(*parts, options);
        stream->sendAll(request.data(), request.size());
        ReadAnswer(*stream, sink, options, watchdog, result, headRead);
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
    std::string root = platform::GetEnvironmentText("QX_UPDATE_ROOT");
    if (root.empty())
        root = QX_UPDATE_ROOT_DEFAULT;
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

std::string InformationFileUrl() {
    return UpdateServerRoot() + "/prenos/qfd/qx.inf";
}

} // namespace qx::update
