// libFuzzer target: a recipient text (the service's mail file) and a firm name (a KERNO table)
// through the parser and the encoders. Besides not crashing, the output keeps the line limits
// that mail servers rely on.
#include "net/AddressList.h"
#include "net/MimeText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Every CRLF-ended line of `text` is at most `limit` bytes long.
void CheckLines(const std::string& text, std::size_t limit) {
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        Check(end - start <= limit);
        start = end + 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (const auto& address : qx::net::ParseAddressList(text))
        Check(address.address.find_first_of(",;") == std::string::npos || text.find('<') != std::string::npos ||
              text.find('"') != std::string::npos);

    const std::string qp = qx::net::EncodeQuotedPrintable({text});
    CheckLines(qp, 76);
    Check(qp.size() >= 2 && qp.compare(qp.size() - 2, 2, "\r\n") == 0);

    // Every encoded word stays within the 75 characters RFC 2047 allows.
    for (const std::string& encoded : {qx::net::EncodeHeaderText(text), qx::net::EncodeDisplayName(text)}) {
        std::size_t start = 0;
        while (start <= encoded.size()) {
            auto end = encoded.find(' ', start);
            if (end == std::string::npos)
                end = encoded.size();
            std::string word = encoded.substr(start, end - start);
            if (word.rfind("=?UTF-8?B?", 0) == 0 && word.size() >= 12 && word.compare(word.size() - 2, 2, "?=") == 0)
                Check(word.size() <= 75);
            start = end + 1;
        }
    }

    const std::string folded = qx::net::FoldHeaderLine("Subject: " + qx::net::EncodeHeaderText(text));
    Check(qx::net::DotStuff(folded).size() >= folded.size());
    return 0;
}
