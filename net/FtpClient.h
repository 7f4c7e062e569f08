#pragma once
// A plain FTP client (RFC 959) for one upload: login with HOST (RFC 7151) and FEAT
// (RFC 2389), binary type, passive data connections, MLSD listings (RFC 3659), CWD, RETR,
// STOR, QUIT. Runs on the caller's thread; every wait lets the idle callback run.
// A refused command throws qx::Error carrying the server's reply text.
#include "net/Connection.h"
#include "net/FtpListing.h"
#include "net/PingPong.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx::net {

struct FtpSettings {
    std::string host;
    std::uint16_t port = 21;
    std::string user;
    std::string password;
    // Sent with CLNT when the server lists it.
    std::string clientName = "qx";
    // Connecting the control and the data connections.
    std::chrono::milliseconds connectTimeout = platform::Socket::kDefaultConnectTimeout;
    // One read or write on a data connection that moves nothing for this long means a dead
    // line or a server that stopped; a slow line still moves some bytes every few seconds.
    // (curl sets no such limit by default; its control replies wait 120 s at most.)
    std::chrono::milliseconds dataTimeout{60000};
};

class FtpClient {
public:
    using WorkHandler = std::function<void(std::int64_t bytesSoFar)>;

    static constexpr std::chrono::milliseconds kReplyTimeout{60000};
    static constexpr std::chrono::milliseconds kQuitWait{100};

    explicit FtpClient(FtpSettings settings);
    ~FtpClient(); // closes without QUIT

    void setIdleCallback(platform::Socket::IdleCallback idle);
    // Called during every data transfer with the bytes moved so far in that transfer.
    void setWorkHandler(WorkHandler work) { work_ = std::move(work); }
    // The control connection's reply time-out (60 s unless changed; tests shorten it).
    void setReplyTimeout(std::chrono::milliseconds timeout);

    // Connects, reads the greeting, sends HOST, logs in, reads the features, sets binary type.
    void connect();
    bool connected() const { return control_.isOpen(); }

    // MLSD of the current folder, in the server's order; a 450 reply gives an empty list.
    std::vector<FtpListEntry> listDirectory();
    void changeDirectory(const std::string& path);
    // Downloads into `localPath`, deleting an existing file of that name first. With a `limit`
    // (bytes, 0 for none) no more than that is written: the data connection is then closed
    // early and the result is false. True when the whole file was fetched.
    bool retrieve(const std::string& remoteName, const std::string& localPath, std::size_t limit = 0);
    // Uploads `localPath` to `remoteName` from its start.
    void store(const std::string& localPath, const std::string& remoteName);

    // QUIT, a reply read if one comes within 100 ms, close. Does nothing when not connected.
    void disconnect();

    // What the last login learned.
    const std::vector<std::string>& features() const { return features_; }
    bool utf8() const { return utf8_; }

private:
    enum class TransferKind { Listing, Retrieval, Storage };
    // One passive transfer: PRET, PASV, data connection, the command, the data, the final reply.
    // `moveData` gets the open data connection and answers whether it moved all the data; when it
    // stopped early, the final reply is read whatever its code. False from the 450 case (no data).
    bool transfer(const std::string& command, TransferKind kind, const std::function<bool(Connection&)>& moveData);

    void openControl();
    void login();
    void readFeatures();
    // Text <-> bytes on the control connection: 8-bit until the server lists UTF8.
    std::string toWire(const std::string& text) const;
    std::string fromWire(const std::string& bytes) const;
    Reply command(const std::string& text);
    Reply command(const std::string& text, std::initializer_list<int> accepted);
    void require(const Reply& reply, std::initializer_list<int> accepted) const;
    void report(std::int64_t bytes) const;

    FtpSettings settings_;
    Connection control_;
    PingPong pingpong_;
    platform::Socket::IdleCallback idle_;
    WorkHandler work_;
    std::vector<std::string> features_;
    bool utf8_ = false;
    bool pret_ = false;
};

} // namespace qx::net
