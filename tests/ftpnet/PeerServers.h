#pragma once
// Starting the Python peer servers of these tests.
#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>

namespace qx::test {

inline std::string PeerScript(const std::string& name) {
    return std::string(QX_SOURCE_DIR) + "/tests/ftpnet/servers/" + name;
}

// A scripted line server (servers/line_server.py); `json` lists the steps of each connection.
inline std::unique_ptr<ChildProcess> StartLineServer(const std::string& json) {
    return std::make_unique<ChildProcess>(std::vector<std::string>{QX_PYTHON, PeerScript("line_server.py"), json});
}

} // namespace qx::test
