#pragma once
// Starting the Python peer servers of these tests.
#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace qx::test {

inline std::string PeerScript(const std::string& name) {
    return std::string(QX_SOURCE_DIR) + "/tests/net/servers/" + name;
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

// A real FTP server (pyftpdlib) for user "user", password "secret", in `home`.
inline std::unique_ptr<ChildProcess> StartFtpServer(const std::string& home,
                                                    const std::string& permissions = "elradfmwMT") {
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{QX_PYTHON, PeerScript("ftp_server.py"), home, permissions});
}

// The scripted FTP server (servers/ftp_script_server.py) with its options.
inline std::unique_ptr<ChildProcess> StartFtpScript(std::vector<std::string> options) {
    options.insert(options.begin(), {QX_PYTHON, PeerScript("ftp_script_server.py")});
    return std::make_unique<ChildProcess>(options);
}

// The lines of a peer's output that begin with `prefix`, without it.
inline std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line.substr(prefix.size()));
        start = end + 1;
    }
    return lines;
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
