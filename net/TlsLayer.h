#pragma once
// The protocol clients' TLS is the platform's (OpenSSL on POSIX, Schannel on Windows); the
// Connection above hides whether a connection uses it.
#include "platform/TlsLayer.h"

namespace qx::net {

using platform::TlsLayer;
using platform::TlsSettings;
using platform::TlsVersion;

} // namespace qx::net
