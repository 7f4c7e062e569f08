// The HTTP response reader (status line, headers, chunked / counted / open bodies) on
// arbitrary bytes: it must end in a response or a qx::Error, never crash or loop.
#include "fuzz/ftpnet/MemoryStream.h"
#include "net/HttpResponse.h"
#include "text/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx::fuzz::MemoryStream stream(data, size);
    qx::net::LineReader lines(stream);
    qx::net::HttpResponseReader reader(lines);
    try {
        for (int response = 0; response < 4; ++response) {
            qx::net::HttpResponseHead head = reader.readHead();
            head.keepAlive();
            std::string body;
            reader.readBody(head, body, 1 << 20);
        }
    } catch (const qx::Error&) {
    }
    return 0;
}
