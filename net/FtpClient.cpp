#include "net/FtpClient.h"

#include "net/PassiveAddress.h"
#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "platform/HostName.h"
#include "text/Error.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"

#include <algorithm>

namespace qx::net {

namespace {

constexpr std::size_t kTransferBuffer = 1 << 20;
// A listing larger than this is no folder a person keeps; it only guards memory.
constexpr std::size_t kListingLimit = 64u << 20;

// The feature's keyword in upper case ("UTF8" of " utf8").
std::string Keyword(const std::string& feature) {
    std::string word;
    for (char c : feature) {
        if (c == ' ' || c == '\t') {
            if (word.empty())
                continue;
            break;
        }
        word += c;
    }
    return AsciiUpperCase(word);
}

} // namespace

FtpClient::FtpClient(FtpSettings settings) : settings_(std::move(settings)), pingpong_(control_) {
    control_.setConnectTimeout(settings_.connectTimeout);
    setReplyTimeout(kReplyTimeout);
}

FtpClient::~FtpClient() = default;

void FtpClient::setIdleCallback(platform::Socket::IdleCallback idle) {
    idle_ = idle;
    control_.setIdleCallback(std::move(idle));
}

void FtpClient::setReplyTimeout(std::chrono::milliseconds timeout) {
    pingpong_.setReplyTimeout(timeout);
    // A command line is short; a server that does not take it within a reply's time is gone.
    control_.setSendTimeout(timeout);
}

std::string FtpClient::toWire(const std::string& text) const {
    if (utf8_)
        return text;
    std::string bytes;
    for (const CodePoint& cp : DecodeUtf8(text))
        bytes += cp.value <= 0xFF ? static_cast<char>(cp.value) : '?';
    return bytes;
}

std::string FtpClient::fromWire(const std::string& bytes) const {
    if (utf8_)
        return bytes;
    std::string text;
    for (unsigned char c : bytes)
        AppendUtf8(text, c);
    return text;
}

Reply FtpClient::command(const std::string& text) {
    return pingpong_.command(toWire(text));
}

Reply FtpClient::command(const std::string& text, std::initializer_list<int> accepted) {
    Reply reply = command(text);
    require(reply, accepted);
    return reply;
}

void FtpClient::require(const Reply& reply, std::initializer_list<int> accepted) const {
    if (std::find(accepted.begin(), accepted.end(), reply.code) == accepted.end())
        throw Error(fromWire(reply.text()));
}

void FtpClient::report(std::int64_t bytes) const {
    if (work_)
        work_(bytes);
}

void FtpClient::openControl() {
    pingpong_.reset();
    utf8_ = false;
    control_.connect(settings_.host, settings_.port);
    Reply greeting = pingpong_.readReply();
    if (greeting.code >= 100 && greeting.code < 200)
        greeting = pingpong_.readReply();
    require(greeting, {220});
}

// HOST goes first so that a server with several virtual hosts picks ours; a server that
// refuses it by closing the connection gets a second connection without it.
void FtpClient::connect() {
    openControl();
    const bool numeric = platform::IsNumericHost(settings_.host) && settings_.host == control_.peerAddress();
    const std::string hostCommand = "HOST " + (numeric ? "[" + settings_.host + "]" : settings_.host);
    bool closedByServer = false;
    try {
        Reply reply = command(hostCommand);
        if (reply.code != 220) {
            control_.waitReadable(std::chrono::milliseconds(50));
            closedByServer = control_.peerClosed();
        }
    } catch (const Error&) {
        if (!control_.peerClosed())
            throw;
        closedByServer = true;
    }
    if (closedByServer) {
        control_.close();
        openControl();
    }
    login();
    readFeatures();
    command("TYPE I", {200});
    command("SYST");
    // Sent again on purpose: the service's servers have always seen this order of commands.
    command("TYPE I", {200});
}

void FtpClient::login() {
    Reply reply = command("USER " + settings_.user);
    if (reply.code == 230 || reply.code == 232)
        return;
    require(reply, {331});
    // 332 asks for an account, which the client does not have: refused like any other reply.
    command("PASS " + settings_.password, {230});
}

void FtpClient::readFeatures() {
    features_.clear();
    pret_ = false;
    Reply reply = command("FEAT");
    if ((reply.code == 211 || reply.code == 221) && reply.lines.size() > 2)
        for (std::size_t i = 1; i + 1 < reply.lines.size(); ++i)
            features_.push_back(fromWire(reply.lines[i]));
    bool clnt = false, utf8 = false;
    for (const auto& feature : features_) {
        const std::string word = Keyword(feature);
        clnt = clnt || word == "CLNT";
        utf8 = utf8 || word == "UTF8";
        pret_ = pret_ || word == "PRET";
    }
    if (clnt)
        command("CLNT " + settings_.clientName);
    utf8_ = utf8;
}

bool FtpClient::transfer(const std::string& transferCommand, TransferKind kind,
                         const std::function<bool(Connection&)>& moveData) {
    if (pret_)
        command("PRET " + transferCommand);
    Reply pasv = command("PASV", {227});
    const std::string firstLine = fromWire(pasv.lines.front());
    auto announced = ParsePassiveReply(firstLine);
    if (!announced)
        throw Error("Invalid PASV reply: " + firstLine);
    const PassiveAddress target = DataConnectionAddress(*announced, control_.peerAddress());

    Connection data;
    data.setIdleCallback(idle_);
    data.setConnectTimeout(settings_.connectTimeout);
    data.setReceiveTimeout(settings_.dataTimeout);
    data.setSendTimeout(settings_.dataTimeout);
    data.connect(target.host, target.port);
    Reply preliminary = command(transferCommand);
    if (kind == TransferKind::Storage) {
        require(preliminary, {110, 125, 150});
    } else {
        if (preliminary.code == 450)
            return false; // nothing to list or fetch: no data and no final reply
        require(preliminary, {125, 150, 154});
    }
    report(0);
    bool complete = false;
    try {
        complete = moveData(data);
    } catch (const Error& e) {
        throw Error("Data connection of " + transferCommand + ": " + e.what());
    }
    data.close();
    Reply final = pingpong_.readReply();
    if (complete)
        require(final, {226, 225, 250});
    return true;
}

std::vector<FtpListEntry> FtpClient::listDirectory() {
    std::string listing;
    transfer("MLSD", TransferKind::Listing, [&](Connection& data) {
        std::vector<char> buffer(64 * 1024);
        while (std::size_t n = data.readSome(buffer.data(), buffer.size())) {
            listing.append(buffer.data(), n);
            if (listing.size() > kListingLimit)
                throw Error("Listing too large.");
            report(static_cast<std::int64_t>(listing.size()));
        }
        return true;
    });
    // Names are read in the control connection's encoding, so that a name sent with CWD matches.
    return ParseMlsdListing(fromWire(listing));
}

void FtpClient::changeDirectory(const std::string& path) {
    command("CWD " + path, {200, 250, 257});
}

bool FtpClient::retrieve(const std::string& remoteName, const std::string& localPath, std::size_t limit) {
    if (platform::PathExists(localPath))
        platform::DeleteFilePath(localPath);
    std::ofstream out;
    platform::OpenForWriting(out, localPath);
    if (!out)
        throw Error("Cannot create file \"" + localPath + "\".");
    bool whole = true;
    transfer("RETR " + remoteName, TransferKind::Retrieval, [&](Connection& data) {
        std::vector<char> buffer(limit > 0 ? std::min(kTransferBuffer, limit + 1) : kTransferBuffer);
        std::size_t moved = 0;
        while (std::size_t n = data.readSome(buffer.data(), buffer.size())) {
            if (limit > 0 && moved + n > limit) {
                n = limit - moved;
                whole = false;
            }
            if (!out.write(buffer.data(), static_cast<std::streamsize>(n)))
                throw Error("Cannot write file \"" + localPath + "\".");
            moved += n;
            report(static_cast<std::int64_t>(moved));
            if (!whole)
                break;
        }
        return whole;
    });
    out.close();
    if (!out)
        throw Error("Cannot write file \"" + localPath + "\".");
    return whole;
}

void FtpClient::store(const std::string& localPath, const std::string& remoteName) {
    std::ifstream in;
    platform::OpenForReading(in, localPath);
    if (!in)
        throw Error("Cannot open file \"" + localPath + "\".");
    transfer("STOR " + remoteName, TransferKind::Storage, [&](Connection& data) {
        std::vector<char> buffer(kTransferBuffer);
        std::int64_t moved = 0;
        for (;;) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            std::size_t n = static_cast<std::size_t>(in.gcount());
            if (n == 0)
                break;
            data.writeAll(buffer.data(), n);
            moved += static_cast<std::int64_t>(n);
            report(moved);
        }
        if (in.bad())
            throw Error("Cannot read file \"" + localPath + "\".");
        return true;
    });
}

void FtpClient::disconnect() {
    if (!control_.isOpen())
        return;
    const auto replyTimeout = pingpong_.replyTimeout();
    try {
        pingpong_.sendLine(toWire("QUIT"));
        // A reply that has begun may finish; nobody waits long for a goodbye.
        pingpong_.setReplyTimeout(kQuitWait);
        if (pingpong_.replyPending(kQuitWait))
            pingpong_.readReply();
    } catch (const Error&) {
        // The server may have gone already; the connection is closed below either way.
    }
    pingpong_.setReplyTimeout(replyTimeout);
    control_.close();
}

} // namespace qx::net
