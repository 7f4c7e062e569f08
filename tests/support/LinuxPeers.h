#pragma once
// Peer programs of the tests (Python servers, unzip, 7z) are Linux programs. The Windows
// build runs under Wine, where the tests cannot start them: those tests skip themselves
// there, and scripts/test-windows checks the Windows build's output with the peers natively.
// Peer servers alone are the exception: under Wine the peer broker starts them natively.
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

namespace qx::test {

inline constexpr bool kLinuxPeers = QX_LINUX_PEERS != 0;

} // namespace qx::test

#define QX_SKIP_WITHOUT_LINUX_PEERS()                                                                                  \
    do {                                                                                                               \
        if (!qx::test::kLinuxPeers)                                                                                    \
            GTEST_SKIP() << "needs a Linux peer program; the Windows build checks this from scripts/test-windows";     \
    } while (false)

#define QX_SKIP_WITHOUT_PEER_SERVERS()                                                                                 \
    do {                                                                                                               \
        if (!qx::test::PeerServersAvailable())                                                                         \
            GTEST_SKIP() << "needs the peer broker under Wine (QX_PEER_BROKER, set by scripts/test-windows)";          \
    } while (false)
