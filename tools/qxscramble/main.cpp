// qxscramble: turns a text into the scrambled form used by descriptor files, transfer codes
// and the archive password, or back with -d.
//   qxscramble [-d] [text]    without text, the text is read from standard input
//                             (one trailing line break is dropped).
#include "delivery/Scramble.h"

#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: qxscramble [-d] [text]\n"
                 "  Prints the scrambled form (hexadecimal) of the text, or with -d the plain text\n"
                 "  of a scrambled one. Without a text argument, standard input is read.\n";
    return 2;
}

std::string ReadStandardInput() {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace

int main(int argc, char** argv) {
    bool descramble = false;
    int next = 1;
    if (next < argc && std::strcmp(argv[next], "-d") == 0) {
        descramble = true;
        ++next;
    } else if (next < argc && (std::strcmp(argv[next], "-h") == 0 || std::strcmp(argv[next], "--help") == 0)) {
        return Usage();
    }
    if (next < argc && std::strcmp(argv[next], "--") == 0)
        ++next;
    if (argc - next > 1)
        return Usage();
    const std::string input = next < argc ? std::string(argv[next]) : ReadStandardInput();
    if (descramble) {
        const std::string plain = qx::Descramble(input, qx::kScrambleSeed);
        if (plain.empty() && !input.empty()) {
            std::cerr << "qxscramble: not a scrambled text\n";
            return 1;
        }
        std::cout << plain << '\n';
    } else {
        std::cout << qx::Scramble(input, qx::kScrambleSeed) << '\n';
    }
    return 0;
}
