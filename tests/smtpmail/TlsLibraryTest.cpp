// The TLS library as each platform has it: linked on POSIX, looked for at run time on Windows,
// where a workstation without its DLLs (as Wine here) must get the exact texts and no crash.
#include "app/Error.h"
#include "net/SmtpClient.h"
#include "net/TlsLayer.h"
#include "platform/FileSystem.h"
#include "platform/Socket.h"
#include "platform/TlsLibrary.h"

#include <gtest/gtest.h>

namespace {

TEST(TlsLibrary, LinkedOnPosixAndFoundOrReportedOnWindows) {
    const bool available = qx::platform::LoadTlsLibrary() != nullptr;
    if (!qx::platform::kHasDriveLetters) {
        EXPECT_TRUE(available);
    }
    if (available)
        GTEST_SKIP() << "the TLS library is present; its missing case needs a machine without it";

    qx::platform::Socket socket;
    try {
        qx::net::TlsLayer layer(socket, qx::net::TlsSettings{});
        ADD_FAILURE() << "no error";
    } catch (const qx::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Could not load SSL library.");
    }

    // Implicit TLS gives up before any connection is made.
    qx::net::SmtpClient client;
    client.setHost("127.0.0.1");
    client.setPort(1);
    client.attachTls(qx::net::TlsSettings{});
    client.setTlsMode(qx::net::SmtpTlsMode::Implicit);
    try {
        client.connect();
        ADD_FAILURE() << "no error";
    } catch (const qx::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Could not load SSL library.");
    }
}

} // namespace
