#include "update/TransferStream.h"

#include "net/TlsLayer.h"

#include <utility>

namespace qx::update {

namespace {

class PlainStream : public TransferStream {
public:
    explicit PlainStream(std::unique_ptr<platform::Socket> socket) : socket_(std::move(socket)) {}
    void sendAll(const char* data, std::size_t size) override { socket_->sendAll(data, size); }
    std::size_t receive(char* data, std::size_t size) override { return socket_->receive(data, size); }

private:
    std::unique_ptr<platform::Socket> socket_;
};

// TLS from the program's own layer, with the checks a download needs: the certificate must be
// vouched for by the system's trusted roots and name the host, and TLS 1.2 at least.
class TlsStream : public TransferStream {
public:
    TlsStream(std::unique_ptr<platform::Socket> socket, const std::string& host)
        : socket_(std::move(socket)), tls_(*socket_, VerifiedSettings(host)) {}

    void sendAll(const char* data, std::size_t size) override { tls_.writeAll(data, size); }
    std::size_t receive(char* data, std::size_t size) override { return tls_.readSome(data, size); }

private:
    static net::TlsSettings VerifiedSettings(const std::string& host) {
        net::TlsSettings settings;
        settings.minVersion = net::TlsVersion::Tls1_2;
        settings.verifyPeer = true;
        settings.verifyHost = host;
        // Server name indication carries names only, never an address.
        if (host.find_first_not_of("0123456789.") != std::string::npos)
            settings.serverName = host;
        return settings;
    }

    std::unique_ptr<platform::Socket> socket_;
    net::TlsLayer tls_;
};

} // namespace

std::unique_ptr<TransferStream> OpenTransferStream(const std::string& host, std::uint16_t port, bool tls,
                                                   platform::Socket::IdleCallback idle,
                                                   std::chrono::milliseconds receiveTimeout) {
    auto socket = std::make_unique<platform::Socket>();
    socket->setIdleCallback(std::move(idle));
    socket->setReceiveTimeout(receiveTimeout);
    socket->setSendTimeout(receiveTimeout);
    socket->connect(host, port);
    if (!tls)
        return std::make_unique<PlainStream>(std::move(socket));
    return std::make_unique<TlsStream>(std::move(socket), host);
}

} // namespace qx::update
