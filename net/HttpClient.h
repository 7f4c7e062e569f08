#pragma once
// A minimal HTTP/1.1 client for the account descriptors and the update's transfers: one
// GET at a time, plain or over TLS, redirects not followed, no credentials, no cookies.
// A connection the server keeps alive is reused by the next GET to the same scheme, host
// and port, and closed before a GET anywhere else.
#include "net/Connection.h"
#include "net/HttpResponse.h"
#include "text/Error.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace qx::net {

struct Url;

// A response whose status is not 2xx; the text is the status line ("HTTP/1.1 404 Not Found").
class HttpStatusError : public Error {
public:
    HttpStatusError(int status, const std::string& statusLine) : Error(statusLine), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

class HttpClient {
public:
    // Send and receive time-out of every connection, the TLS handshake included: a descriptor
    // is a few hundred bytes, so a server silent this long is gone. The plain fallback gets
    // the same, or a root that accepts and stays silent would hold the program for ever.
    static constexpr std::chrono::milliseconds kTimeout{30000};

    HttpClient(std::string userAgent, TlsSettings tls);
    ~HttpClient(); // closes any open connection

    // Runs between wait slices (the window processes its messages there).
    void setIdleCallback(platform::Socket::IdleCallback idle) { idle_ = std::move(idle); }
    // Guards memory against a runaway body; 0 (the default) means no limit.
    void setBodyLimit(std::size_t bytes) { bodyLimit_ = bytes; }
    // The connect time-out and the time-out of each send and receive (tests shorten them).
    void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds readWrite) {
        connectTimeout_ = connect;
        timeout_ = readWrite;
    }

    // GETs `url` and appends a 2xx response's body to `body`. Throws qx::Error for every
    // failure ("Unknown Protocol", name resolution, refused connection, TLS handshake,
    // a connection closed early) and HttpStatusError for any status other than 2xx.
    void get(const std::string& url, std::string& body);

    // The steps of a GET, for a caller with a request of its own that judges the status and
    // takes the body as it arrives. They throw qx::Error as get does, and leave closing to the caller.
    //
    // Opens the connection for `url`, its TLS handshake included, unless the kept one leads there.
    void open(const Url& url);
    // Sends `request` (the whole request head) over the open connection and reads the head
    // of the response.
    HttpResponseHead send(const std::string& request);
    // Hands the body of the response whose head `send` read to `receiver` as it arrives;
    // false when the receiver stopped it. More than `limit` bytes (0: none) are refused.
    bool readBody(const HttpResponseHead& head, const BodyReceiver& receiver, std::size_t limit = 0);

    // Closes a kept connection.
    void close();

private:
    // The kept connection when it leads to the same scheme, host and port and is still open;
    // otherwise the kept one is closed and a new one opened.
    Connection& connectionFor(const Url& url);

    std::string userAgent_;
    TlsSettings tls_;
    platform::Socket::IdleCallback idle_;
    std::size_t bodyLimit_ = 0;
    std::chrono::milliseconds connectTimeout_ = platform::Socket::kDefaultConnectTimeout;
    std::chrono::milliseconds timeout_ = kTimeout;
    std::unique_ptr<Connection> connection_;
    std::string connectionKey_;         // scheme://host:port of the kept connection
    std::unique_ptr<LineReader> lines_; // the current response's reader over the connection
};

} // namespace qx::net
