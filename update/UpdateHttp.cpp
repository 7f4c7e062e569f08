#include "update/UpdateHttp.h"

#include "BuildConfig.h"
#include "platform/Environment.h"
#include "update/ByteStream.h"
#include "update/HttpUrl.h"
#include "update/VersionNumber.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace qx::update {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 200;              // how often a waiting worker looks at the cancel flag
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

// Reads with the idle and the whole time-out, in slices so that a cancel is seen promptly.
class Reader {
public:
    Reader(ByteStream& stream, const HttpGetOptions& options, const std::atomic<bool>& cancel)
        : stream_(stream), options_(options), cancel_(cancel), start_(Clock::now()) {}

    // As ByteStream::receive; kTimedOut also when the whole time is up; kCancelled when cancelled.
    static constexpr long kCancelled = -3;
    long receive(char* data, std::size_t size) {
        auto idleStart = Clock::now();
        for (;;) {
            if (cancel_)
                return kCancelled;
            if (options_.wholeTimeoutMs > 0 && elapsedMs(start_) >= options_.wholeTimeoutMs)
                return ByteStream::kTimedOut;
            if (elapsedMs(idleStart) >= options_.idleTimeoutMs)
                return ByteStream::kTimedOut;
            long n = stream_.receive(data, size, kSliceMs);
            if (n != ByteStream::kTimedOut)
                return n;
        }
    }

private:
    static long elapsedMs(Clock::time_point since) {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
    }

    ByteStream& stream_;
    const HttpGetOptions& options_;
    const std::atomic<bool>& cancel_;
    Clock::time_point start_;
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

// Fills status, announced size and Last-Modified from the head; false when it is no HTTP head.
bool ParseHead(const std::string& head, HttpResult& result) {
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

HttpResult Fail(HttpResult result, TransferOutcome outcome, std::string error) {
    result.outcome = outcome;
    result.error = std::move(error);
    return result;
}

} // namespace

HttpResult HttpGet(const std::string& url, HttpBodySink& sink, const HttpGetOptions& options,
                   const std::atomic<bool>& cancel) {
    HttpResult result;
    std::optional<HttpUrl> parts = ParseHttpUrl(url);
    if (!parts)
        return Fail(result, TransferOutcome::NoAnswer, "Not an http or https URL: " + url);
    std::string error;
    std::unique_ptr<ByteStream> stream =
        OpenByteStream(parts->host, parts->port, parts->https, options.connectTimeoutMs, error);
    if (!stream)
        return Fail(result, TransferOutcome::NoAnswer, error);
    std::string request = RequestFor(*parts, options);
    if (!stream->sendAll(request.data(), request.size(), options.connectTimeoutMs))
        return Fail(result, TransferOutcome::NoAnswer, "Sending the request failed");

    Reader reader(*stream, options, cancel);
    char buffer[kBufferBytes];
    std::string received;
    std::size_t headEnd = std::string::npos;
    std::size_t separator = 0;
    while (headEnd == std::string::npos) {
        long n = reader.receive(buffer, sizeof buffer);
        if (n == Reader::kCancelled)
            return Fail(result, TransferOutcome::Cancelled, "Cancelled");
        if (n <= 0)
            return Fail(result, TransferOutcome::NoAnswer, "No answer from the server");
        received.append(buffer, static_cast<std::size_t>(n));
        for (const char* marker : {"\r\n\r\n", "\n\n"}) {
            std::size_t at = received.find(marker);
            if (at != std::string::npos && at < headEnd) {
                headEnd = at;
                separator = std::char_traits<char>::length(marker);
            }
        }
        if (headEnd == std::string::npos && received.size() > kMaxHeadBytes)
            return Fail(result, TransferOutcome::NoAnswer, "The answer's head is too long");
    }
    if (!ParseHead(received.substr(0, headEnd), result))
        return Fail(result, TransferOutcome::NoAnswer, "No HTTP answer");
    if (result.status != 200 && result.status != 206)
        return Fail(result, TransferOutcome::ErrorStatus, "HTTP status " + std::to_string(result.status));
    if (!sink.begin(result.announcedSize))
        return Fail(result, TransferOutcome::WriteFailed, "The file cannot be written");

    // Body: what came with the head, then reads until the announced size or the end of the connection.
    std::string first = received.substr(headEnd + separator);
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
    if (TransferOutcome o = take(first.data(), first.size()); o != TransferOutcome::Complete)
        return Fail(result, o, "The body was refused");
    while (!result.announcedSize || result.received < *result.announcedSize) {
        long n = reader.receive(buffer, sizeof buffer);
        if (n == Reader::kCancelled)
            return Fail(result, TransferOutcome::Cancelled, "Cancelled");
        if (n == 0 && !result.announcedSize)
            break;
        if (n <= 0)
            return Fail(result, TransferOutcome::BrokenOff, "The connection was broken off");
        if (TransferOutcome o = take(buffer, static_cast<std::size_t>(n)); o != TransferOutcome::Complete)
            return Fail(result, o, "The body was refused");
    }
    result.outcome = TransferOutcome::Complete;
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

std::string InformationFileUrl() { return UpdateServerRoot() + "/prenos/qfd/qx.inf"; }

} // namespace qx::update
