#pragma once
// Helpers of the archive tests: outside tools, table-like file contents, the field dump.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qx::test {

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

// Runs a shell command line.
CommandResult RunCommand(const std::string& commandLine);
std::string Quote(const std::string& text);

// Bytes that look like a DBF table: a header and fixed-width records of names, numbers and dates.
std::string TableLikeBytes(std::size_t size, std::uint32_t seed);

// One map of fields per entry, then a last map for the end record, from tests/archive/zip_fields.py.
using Fields = std::map<std::string, std::string>;
std::vector<Fields> DumpZipFields(const std::string& archive, const std::string& password);

} // namespace qx::test
