#include "net/HttpClient.h"

#include "net/LineReader.h"
#include "net/Url.h"

namespace qx::net {

namespace {

std::string RequestText(const Url& url, const std::string& userAgent) {
    std::string request = "GET " + url.path + " HTTP/1.1\r\n";
    request += "Host: " + url.hostHeader() + "\r\n";
    request += "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n";
    request += "Accept-Encoding: identity\r\n";
    request += "User-Agent: " + userAgent + "\r\n";
    request += "\r\n";
    return request;
}

std::string KeyOf(const Url& url) {
    return url.scheme + "://" + url.host + ":" + std::to_string(url.port);
}

} // namespace

HttpClient::HttpClient(std::string userAgent, TlsSettings tls)
    : userAgent_(std::move(userAgent)), tls_(std::move(tls)) {}

HttpClient::~HttpClient() {
    close();
}

void HttpClient::close() {
    lines_.reset();
    connection_.reset();
    connectionKey_.clear();
}

Connection& HttpClient::connectionFor(const Url& url) {
    if (connection_ && connectionKey_ == KeyOf(url) && connection_->isOpen() && !connection_->peerClosed())
        return *connection_;
    close();
    auto connection = std::make_unique<Connection>();
    connection->setIdleCallback(idle_);
    connection->setConnectTimeout(connectTimeout_);
    connection->setSendTimeout(timeout_);
    connection->setReceiveTimeout(timeout_);
    connection->connect(url.host, url.port);
    if (url.tls())
        connection->startTls(tls_);
    connection_ = std::move(connection);
    connectionKey_ = KeyOf(url);
    return *connection_;
}

void HttpClient::open(const Url& url) {
    connectionFor(url);
}

HttpResponseHead HttpClient::send(const std::string& request) {
    if (!connection_)
        throw Error("Not connected.");
    lines_.reset();
    connection_->writeAll(request);
    lines_ = std::make_unique<LineReader>(*connection_);
    return HttpResponseReader(*lines_).readHead();
}

bool HttpClient::readBody(const HttpResponseHead& head, const BodyReceiver& receiver, std::size_t limit) {
    if (!lines_)
        throw Error("Not connected.");
    return HttpResponseReader(*lines_).readBody(head, receiver, limit);
}

void HttpClient::get(const std::string& urlText, std::string& body) {
    const Url url = ParseUrl(urlText);
    try {
        open(url);
        HttpResponseHead head = send(RequestText(url, userAgent_));
        const bool success = head.status >= 200 && head.status < 300;
        // Read into a buffer of our own: a body cut off half-way must not reach the caller.
        std::string received;
        HttpResponseReader(*lines_).readBody(head, received, bodyLimit_);
        // The reader may have read ahead only when the server sent more than one response.
        if (!head.keepAlive() || lines_->hasBuffered())
            close();
        if (!success)
            throw HttpStatusError(head.status, head.statusLine);
        body += received;
    } catch (const HttpStatusError&) {
        throw;
    } catch (...) {
        close();
        throw;
    }
}

} // namespace qx::net
