#pragma once
// The maker's web server for one test: update_server.py serving a temporary folder.
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>

namespace qx::test {

class UpdateServer {
public:
    explicit UpdateServer(const std::string& root, const std::string& cert = "", const std::string& key = "")
        : server_(Arguments(root, cert, key)), https_(!cert.empty()) {}

    std::string url(const std::string& path) const {
        return std::string(https_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(server_.port()) + path;
    }
    std::string requests() { return server_.readOutput(0.2); }

    // Puts a file under the server's root, with its folders.
    static void Publish(const std::string& root, const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(root + path).parent_path());
        WriteWholeFile(root + path, bytes);
    }

private:
    static std::vector<std::string> Arguments(const std::string& root, const std::string& cert,
                                              const std::string& key) {
        std::vector<std::string> argv{QX_PYTHON, std::string(QX_SOURCE_DIR) + "/tests/update/update_server.py", root};
        if (!cert.empty())
            argv.insert(argv.end(), {"--cert", cert, "--key", key});
        return argv;
    }

    ChildProcess server_;
    bool https_;
};

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

} // namespace qx::test
