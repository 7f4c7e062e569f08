#pragma once
// Shared by the table tests: the fixture script, a host that translates cp852 <-> cp1250
// through iconv (independent of the program's platform layer), and byte-level helpers.
#include "dbf/Host.h"

#include <string>
#include <vector>

namespace qx::test {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// Runs tests/dbf/dbf_fixtures.py with the arguments; output is standard output and error.
CommandResult RunFixtures(const std::vector<std::string>& arguments);
// Runs the script and fails the current test unless it succeeds.
std::string Fixtures(const std::vector<std::string>& arguments);

std::string Convert(const std::string& text, const char* from, const char* to);
inline std::string Cp1250(const std::string& utf8) {
    return Convert(utf8, "UTF-8", "CP1250");
}

class IconvHost : public dbf::Host {
public:
    std::string oemToAnsi(std::string_view oem) const override;
    std::string ansiToOem(std::string_view ansi) const override;
    std::string filePath(const std::string& ansiPath) const override { return ansiPath; }
    dbf::CivilDay today() const override { return dbf::PlainHost().today(); }
};

} // namespace qx::test
