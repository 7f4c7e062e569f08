// An EHLO reply from any bytes: the reply parser, then the capability lines, the STARTTLS
// offer and the AUTH mechanisms read from them.
#include "fuzz/Check.h"
#include "fuzz/ftpnet/MemoryStream.h"
#include "net/LineReader.h"
#include "net/Reply.h"
#include "net/SmtpCapabilities.h"
#include "text/Error.h"

#include <cstddef>
#include <cstdint>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx::fuzz::MemoryStream stream(data, size);
    qx::net::LineReader lines(stream);
    qx::net::ReplyParser parser;
    try {
        while (auto line = lines.readLine(qx::net::ReplyParser::kMaxLineLength)) {
            if (!parser.addLine(*line))
                continue;
            const qx::net::Reply reply = parser.take();
            const auto capabilities = qx::net::CapabilityLines(reply.lines);
            Check(capabilities.size() + 1 == reply.lines.size() || reply.lines.empty());
            qx::net::OffersCapability(capabilities, "STARTTLS");
            for (const auto& mechanism : qx::net::AuthMechanisms(capabilities))
                Check(!mechanism.empty() && mechanism.find(' ') == std::string::npos);
        }
    } catch (const qx::Error&) {
    }
    return 0;
}
