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

// A real HTTP server (servers/http_server.py): `tls` is "none", "any" or one version name.
inline std::unique_ptr<ChildProcess> StartHttpServer(const std::string& tls, const std::string& routesJson) {
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{QX_PYTHON, PeerScript("http_server.py"), tls, routesJson});
}

// Text as a JSON string literal, bytes above 127 kept as code points 128..255 (Latin-1).
inline std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace qx::test
