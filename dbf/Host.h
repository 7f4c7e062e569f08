#pragma once
// What the engine asks of its host: the code-page translation between the OEM bytes
// stored in character fields and the ANSI bytes the caller sees, the form of a path
// that the file API takes, and today's date for a copy's header. The engine itself
// knows no code page.
#include <string>
#include <string_view>

namespace dbf {

struct CivilDay {
    int year{};
    int month{};
    int day{};
};

class Host {
public:
    virtual ~Host() = default;
    virtual std::string oemToAnsi(std::string_view oem) const = 0;
    virtual std::string ansiToOem(std::string_view ansi) const = 0;
    // The file system's path (UTF-8) for an 8-bit ANSI path.
    virtual std::string filePath(const std::string& ansiPath) const = 0;
    virtual CivilDay today() const = 0;
};

// No translation: bytes pass as they are stored; paths as given; the local date.
class PlainHost : public Host {
public:
    std::string oemToAnsi(std::string_view oem) const override { return std::string(oem); }
    std::string ansiToOem(std::string_view ansi) const override { return std::string(ansi); }
    std::string filePath(const std::string& ansiPath) const override { return ansiPath; }
    CivilDay today() const override;
};

} // namespace dbf
