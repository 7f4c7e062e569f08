#include "net/Connection.h"

#include "text/Error.h"

namespace qx::net {

Connection::~Connection() {
    close();
}

void Connection::connect(const std::string& host, std::uint16_t port) {
    close();
    socket_.connect(host, port);
}

void Connection::startTls(const TlsSettings& settings) {
    if (!socket_.isOpen())
        throw Error("Not connected.");
    tls_ = std::make_unique<TlsLayer>(socket_, settings);
}

std::size_t Connection::readSome(char* buffer, std::size_t size) {
    if (tls_)
        return tls_->readSome(buffer, size);
    return socket_.receive(buffer, size);
}

void Connection::writeAll(const char* data, std::size_t size) {
    if (tls_)
        tls_->writeAll(data, size);
    else
        socket_.sendAll(data, size);
}

void Connection::close() {
    if (tls_) {
        tls_->shutdown();
        tls_.reset();
    }
    socket_.close();
}

} // namespace qx::net
