#include "tests/smtpmail/SmtpPeers.h"

#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace qx::test {

namespace {

// A self-signed certificate made once per test run.
const TempDir& CertificateDir() {
    static TempDir dir;
    static bool made = [] {
        std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " +
                              dir.file("key.pem") + " -out " + dir.file("cert.pem") +
                              " -days 2 -subj /CN=127.0.0.1 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("openssl could not make the test certificate");
        return true;
    }();
    (void)made;
    return dir;
}

std::string Script(const std::string& name) {
    return std::string(QX_SOURCE_DIR) + "/tests/smtpmail/" + name;
}

} // namespace

std::unique_ptr<ChildProcess> StartSmtpServer(const std::vector<std::string>& options) {
    const TempDir& certificate = CertificateDir();
    std::vector<std::string> argv = {QX_PYTHON, Script("smtp_server.py"),   "--cert", certificate.file("cert.pem"),
                                     "--key",   certificate.file("key.pem")};
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
