// An account descriptor from any bytes, as the service's web root sends it (scrambled hex)
// and as it reads once descrambled: the fields, the integer fields, the round trip.
#include "delivery/AccountFetch.h"
#include "delivery/IntegerText.h"
#include "delivery/Scramble.h"
#include "fuzz/Check.h"
#include "session/Session.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cstddef>
#include <cstdint>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The bytes as the scrambled body, and as the text a scrambled body turns into.
    for (const std::string& scrambled : {text, qx::Scramble(text, qx::kScrambleSeed)}) {
        qx::TFTPdata ftp;
        qx::ApplyFtpDescriptor(scrambled, ftp);
        qx::TSMTPdata smtp;
        try {
            qx::ApplyMailDescriptor(scrambled, smtp);
        } catch (const qx::Error&) {
        }
        try {
            qx::IntegerFromText(ftp.vrata);
        } catch (const qx::Error&) {
        }
    }
    Check(qx::Descramble(qx::Scramble(text, qx::kScrambleSeed), qx::kScrambleSeed) == text);
    const std::uint8_t count = qx::TokenCount(text, ";");
    for (std::uint8_t n = 0; n <= count + 1 && n < 255; ++n)
        qx::Token(text, ";", n);
    return 0;
}
