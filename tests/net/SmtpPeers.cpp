#include "tests/net/SmtpPeers.h"

#include <chrono>

namespace qx::test {

namespace {

std::string Script(const std::string& name) {
    return std::string(QX_SOURCE_DIR) + "/tests/net/" + name;
}

} // namespace

std::unique_ptr<ChildProcess> StartSmtpServer(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {QX_PYTHON, Script("smtp_server.py")};
    argv.insert(argv.end(), options.begin(), options.end());
    return std::make_unique<ChildProcess>(argv);
}

std::unique_ptr<ChildProcess> StartScriptedSmtp(const std::string& script) {
    return std::make_unique<ChildProcess>(std::vector<std::string>{QX_PYTHON, Script("scripted_smtp.py"), script});
}

std::vector<std::string> PeerEvents(ChildProcess& peer, const std::string& last) {
    std::string output;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> events;
    while (std::chrono::steady_clock::now() < deadline) {
        output = peer.readOutput(0.1); // everything printed so far
        events.clear();
        std::size_t start = 0;
        for (auto end = output.find('\n'); end != std::string::npos; end = output.find('\n', start)) {
            events.push_back(output.substr(start, end - start));
            start = end + 1;
        }
        for (const auto& event : events)
            if (event == last)
                return events;
    }
    return events;
}

std::string Hex(const std::string& bytes) {
    static const char* kDigits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

} // namespace qx::test
