#include "tests/dbf/TablesTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <iconv.h>
#include <stdexcept>
#include <sys/wait.h>

namespace qx::test {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

CommandResult RunFixtures(const std::vector<std::string>& arguments) {
    std::string command = std::string(QX_PYTHON) + " " + QX_SOURCE_DIR + "/tests/dbf/dbf_fixtures.py";
    for (const std::string& argument : arguments)
        command += " " + Quoted(argument);
    command += " 2>&1";
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer;
    while (std::size_t got = fread(buffer.data(), 1, buffer.size(), pipe))
        result.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Fixtures(const std::vector<std::string>& arguments) {
    CommandResult result = RunFixtures(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result.output;
}

std::string Convert(const std::string& text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open");
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        throw std::runtime_error("iconv: " + text);
    out.resize(out.size() - outLeft);
    return out;
}

std::string IconvHost::oemToAnsi(std::string_view oem) const {
    return Convert(std::string(oem), "CP852", "CP1250");
}

std::string IconvHost::ansiToOem(std::string_view ansi) const {
    return Convert(std::string(ansi), "CP1250", "CP852");
}

} // namespace qx::test
