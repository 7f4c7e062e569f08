#pragma once
// Makes the system's TLS trust one more authority for the life of the object: OpenSSL's
// SSL_CERT_FILE on POSIX, the current user's "Root" store on Windows (Wine asks nothing; a
// real Windows asks the user to confirm).
#include <memory>
#include <string>

namespace qx::test {

class TrustedRoot {
public:
    explicit TrustedRoot(const std::string& der); // the authority's certificate, DER bytes
    ~TrustedRoot();
    TrustedRoot(const TrustedRoot&) = delete;
    TrustedRoot& operator=(const TrustedRoot&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace qx::test
