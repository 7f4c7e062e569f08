// FTP control replies, PASV addresses and MLSD listings on arbitrary bytes.
#include "fuzz/ftpnet/MemoryStream.h"
#include "net/FtpListing.h"
#include "net/LineReader.h"
#include "net/PassiveAddress.h"
#include "net/Reply.h"
#include "text/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx::fuzz::MemoryStream stream(data, size);
    qx::net::LineReader lines(stream);
    qx::net::ReplyParser parser;
    try {
        while (auto line = lines.readLine(qx::net::ReplyParser::kMaxLineLength)) {
            if (parser.addLine(*line)) {
                qx::net::Reply reply = parser.take();
                reply.text();
                if (auto address = qx::net::ParsePassiveReply(reply.lines.front()))
                    qx::net::DataConnectionAddress(*address, "203.0.113.7");
            }
        }
    } catch (const qx::Error&) {
    }
    std::string listing(reinterpret_cast<const char*>(data), size);
    for (const auto& entry : qx::net::ParseMlsdListing(listing))
        entry.fact("size");
    return 0;
}
