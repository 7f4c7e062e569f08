#include "tests/net/MailReader.h"

#include "tests/support/TempDir.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace qx::test {

const std::vector<std::string>& ReadMail::all(const std::string& name) const {
    static const std::vector<std::string> kNone;
    auto it = items.find(name);
    return it == items.end() ? kNone : it->second;
}

std::string ReadMail::one(const std::string& name) const {
    const auto& values = all(name);
    return values.empty() ? std::string() : values.front();
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

ReadMail ReadWithPython(const std::string& messageText) {
    TempDir dir;
    WriteWholeFile(dir.file("message.eml"), messageText);
    std::string command =
        std::string(QX_PYTHON) + " " + QX_SOURCE_DIR + "/tests/net/parse_message.py " + dir.file("message.eml");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    if (pclose(pipe) != 0)
        throw std::runtime_error("the reader failed on:\n" + messageText);
    ReadMail mail;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        auto tab = line.find('\t');
        if (tab != std::string::npos)
            mail.items[line.substr(0, tab)].push_back(FromHex(line.substr(tab + 1)));
    }
    return mail;
}

} // namespace qx::test
