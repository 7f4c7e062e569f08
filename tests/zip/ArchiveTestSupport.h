#pragma once
// Helpers of the archive tests: outside tools, table-like file contents, the field dump.
#include "zip/ArchiveDevices.h"

#include <algorithm>
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

// One map of fields per entry, then a last map for the end record, from tests/zip/zip_fields.py.
using Fields = std::map<std::string, std::string>;
std::vector<Fields> DumpZipFields(const std::string& archive, const std::string& password);

// Stores at most `room` bytes, then writes nothing more.
class FullDevice : public zip::OutputDevice {
public:
    explicit FullDevice(std::uint64_t room) : room_(room) {}
    std::size_t write(const void*, std::size_t size) override {
        const std::size_t stored = static_cast<std::size_t>(std::min<std::uint64_t>(size, room_ - used_));
        position_ += stored;
        used_ += stored;
        return stored;
    }
    bool seek(std::uint64_t position) override {
        position_ = position;
        return true;
    }
    std::uint64_t position() const override { return position_; }
    bool close() override { return true; }

private:
    std::uint64_t room_;
    std::uint64_t used_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace qx::test
