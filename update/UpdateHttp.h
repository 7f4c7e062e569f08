#pragma once
// The update's transfers over the program's HTTP client: one plain GET per transfer on a
// connection of its own (HTTP/1.0, closed after the answer), TLS with certificate checks when
// the URL is https, time-outs on every wait and a cancel flag that the worker looks at between reads.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace qx::update {

enum class TransferOutcome {
    Complete,    // status 200 or 206 and every announced byte arrived
    ErrorStatus, // the server answered with another status
    NoAnswer,    // no connection, no certificate we trust, or no HTTP answer at all
    BrokenOff,   // the answer started but ended early, or stalled
    Cancelled,   // the cancel flag was raised
    TooLarge,    // the body exceeded the caller's limit
    WriteFailed, // the receiver refused the bytes (a file that cannot be written)
    Unsigned,    // the information file came without the maker's valid signature
};

struct HttpGetOptions {
    int connectTimeoutMs = 10000;
    int idleTimeoutMs = 30000;      // longest wait for the next bytes
    int wholeTimeoutMs = 0;         // 0: none; otherwise the whole transfer must end in time
    std::uint64_t maxBodyBytes = 0; // 0: no limit
    bool bypassCaches = false;
};

// Receives the body of a successful answer.
class HttpBodySink {
public:
    virtual ~HttpBodySink() = default;
    // Once the head is read; false refuses the body (WriteFailed).
    virtual bool begin(std::optional<std::uint64_t> announcedSize) = 0;
    virtual bool write(const char* data, std::size_t size) = 0;
};

struct HttpResult {
    TransferOutcome outcome = TransferOutcome::NoAnswer;
    int status = 0;
    std::optional<std::uint64_t> announcedSize;
    std::uint64_t received = 0;
    std::optional<std::int64_t> lastModifiedUnix;
    std::string error; // what went wrong, in English, for diagnostics
};

HttpResult HttpGet(const std::string& url, HttpBodySink& sink, const HttpGetOptions& options,
                   const std::atomic<bool>& cancel);

// The update server's root: QX_UPDATE_ROOT when set (tests and demos), else the built-in one.
std::string UpdateServerRoot();
// The information file's URL on that server.
std::string InformationFileUrl();

} // namespace qx::update
