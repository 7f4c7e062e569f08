// The check every command argument passes before it is sent: on any bytes it must refuse
// exactly the texts holding CR, LF or NUL, and a line the protocol core sends must then be
// one line on the wire.
#include "fuzz/Check.h"
#include "fuzz/ftpnet/MemoryStream.h"
#include "net/CommandText.h"
#include "net/LineReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool lineBreak = false;
    for (char c : text)
        lineBreak = lineBreak || c == '\r' || c == '\n' || c == '\0';
    const bool safe = qx::net::IsSafeCommandText(text);
    Check(safe == !lineBreak);
    if (!safe)
        return 0;
    // What the server reads of "USER <text>\r\n": one line, the whole command.
    const std::string wire = " USER " + text + "\r\n"; // the stream takes its first byte as a piece size
    qx::fuzz::MemoryStream stream(reinterpret_cast<const std::uint8_t*>(wire.data()), wire.size());
    qx::net::LineReader lines(stream);
    auto first = lines.readLine(wire.size());
    Check(first && *first == "USER " + text);
    Check(!lines.readLine(wire.size()));
    return 0;
}
