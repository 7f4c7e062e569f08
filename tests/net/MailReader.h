#pragma once
// What Python's email package reads from a message: header names in order and decoded values.
#include <map>
#include <string>
#include <vector>

namespace qx::test {

struct ReadMail {
    std::map<std::string, std::vector<std::string>> items; // name -> values in order

    const std::vector<std::string>& all(const std::string& name) const;
    std::string one(const std::string& name) const; // the first value, empty when none
};

// Writes `messageText` (as received after DATA, CRLF lines) to a file and reads it back.
ReadMail ReadWithPython(const std::string& messageText);

std::string FromHex(const std::string& hex);

} // namespace qx::test
