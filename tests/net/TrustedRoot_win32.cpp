#include "tests/net/TrustedRoot.h"

#include <stdexcept>
#include <windows.h>
// After windows.h, which it builds on.
#include <wincrypt.h>

namespace qx::test {

struct TrustedRoot::State {
    HCERTSTORE store = nullptr;
    PCCERT_CONTEXT added = nullptr;
};

TrustedRoot::TrustedRoot(const std::string& der) : state_(std::make_unique<State>()) {
    state_->store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!state_->store || !CertAddEncodedCertificateToStore(
                              state_->store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                              static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &state_->added))
        throw std::runtime_error("the authority could not be added to the Root store");
}

TrustedRoot::~TrustedRoot() {
    if (state_->added)
        CertDeleteCertificateFromStore(state_->added); // frees the context too
    if (state_->store)
        CertCloseStore(state_->store, 0);
}

} // namespace qx::test
