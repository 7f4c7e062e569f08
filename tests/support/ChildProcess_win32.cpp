// Under Wine the peer runs on the Linux side: the peer broker (peer_broker.py) starts it and
// passes its standard output over a loopback connection; closing the connection stops it.
#include "tests/support/ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <winsock2.h>

namespace qx::test {

namespace {

SOCKET Handle(int fd) {
    return static_cast<SOCKET>(static_cast<unsigned int>(fd));
}

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const std::string& item : items) {
        if (out.size() > 1)
            out += ", ";
        out += '"';
        for (unsigned char c : item) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c); // UTF-8 passes as it is
            }
        }
        out += '"';
    }
    return out + "]";
}

} // namespace

bool PeerServersAvailable() {
    return std::getenv("QX_PEER_BROKER") != nullptr;
}

bool ChildProcess::ReadSome(int fd, std::string& into, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Handle(fd), &readable);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
        return true;
    char buf[4096];
    int n = recv(Handle(fd), buf, sizeof buf, 0);
    if (n <= 0)
        return false;
    into.append(buf, static_cast<std::size_t>(n));
    return true;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    // QX_PEER_BROKER holds the broker's port and its token, separated by a blank.
    const char* broker = std::getenv("QX_PEER_BROKER");
    if (!broker)
        throw std::runtime_error("no peer broker (QX_PEER_BROKER) to start " + argv.at(0));
    const std::string setting = broker;
    const std::size_t blank = setting.find(' ');
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    });
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::stoi(setting.substr(0, blank))));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s == INVALID_SOCKET || ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        throw std::runtime_error("the peer broker does not answer: " + setting.substr(0, blank));
    }
    outFd_ = static_cast<int>(s);
    const std::string request =
        (blank == std::string::npos ? "" : setting.substr(blank + 1)) + "\t" + JsonList(argv) + "\n";
    if (send(s, request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size())) {
        closesocket(s);
        throw std::runtime_error("the peer broker took no request");
    }
    try {
        waitUntilReady(argv[0]);
    } catch (...) {
        closesocket(s);
        throw;
    }
}

ChildProcess::~ChildProcess() {
    if (outFd_ < 0)
        return;
    // The broker closes its side once the child has ended: wait for that, as the native
    // destructor waits for the child, so that the child's port is free afterwards.
    shutdown(Handle(outFd_), SD_SEND);
    std::string rest;
    for (int i = 0; i < 100 && ReadSome(outFd_, rest, 100); ++i)
        rest.clear();
    closesocket(Handle(outFd_));
}

} // namespace qx::test
