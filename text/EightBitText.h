#pragma once
// 8-bit texts of the two Windows code pages. Inside the program texts are UTF-8
// std::string; these types exist only at the edges (INI files, table fields, archive
// names, mailer requests) so that an ANSI byte string and an OEM one cannot be mixed
// with each other or with UTF-8 by accident.
#include <string>
#include <utility>

namespace qx {

struct AnsiText {
    std::string bytes; // system ANSI code page (windows-1250 on a Slovenian Windows)
    AnsiText() = default;
    explicit AnsiText(std::string b) : bytes(std::move(b)) {}
    bool operator==(const AnsiText&) const = default;
};

struct OemText {
    std::string bytes; // system OEM code page (cp852 on a Slovenian Windows)
    OemText() = default;
    explicit OemText(std::string b) : bytes(std::move(b)) {}
    bool operator==(const OemText&) const = default;
};

} // namespace qx
