#include "tests/net/TrustedRoot.h"

#include "net/MimeText.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>

namespace qx::test {

struct TrustedRoot::State {
    TempDir dir;
};

TrustedRoot::TrustedRoot(const std::string& der) : state_(std::make_unique<State>()) {
    const std::string base64 = net::Base64Encode(der);
    std::ofstream pem(state_->dir.file("root.pem"), std::ios::binary);
    pem << "-----BEGIN CERTIFICATE-----\n";
    for (std::size_t i = 0; i < base64.size(); i += 64)
        pem << base64.substr(i, 64) << "\n";
    pem << "-----END CERTIFICATE-----\n";
    pem.close();
    setenv("SSL_CERT_FILE", state_->dir.file("root.pem").c_str(), 1);
}

TrustedRoot::~TrustedRoot() {
    unsetenv("SSL_CERT_FILE");
}

} // namespace qx::test
