// The connect time-out against a listener whose accept queue is full (POSIX sockets set up by
// hand; the client under test is the same on Windows).
#include "net/Connection.h"

#include "tests/support/ErrorText.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace qx::net {
namespace {

using namespace std::chrono_literals;
using test::ErrorText;

// A host that never answers the connection request: the accept queue of a listener that
// accepts nothing is full, so the kernel drops further requests.
TEST(Transport, ConnectGivesUpAtItsTimeOut) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const auto port = ntohs(address.sin_port);
    std::vector<std::unique_ptr<Connection>> queued; // fill the queue until a request stays unanswered
    std::string error = "(no error)";
    for (int i = 0; i < 8 && error == "(no error)"; ++i) {
        auto c = std::make_unique<Connection>();
        c->setConnectTimeout(300ms);
        error = ErrorText([&] { c->connect("127.0.0.1", port); });
        queued.push_back(std::move(c));
    }
    EXPECT_EQ(error, "Could not connect to 127.0.0.1:" + std::to_string(port) + ": Connection timed out");
    ::close(listener);
}

} // namespace
} // namespace qx::net
