#pragma once
// The table engine's view of the platform: OEM <-> ANSI through the system code pages,
// ANSI paths turned into the file system's paths, and today's date from the program's clock.
#include "dbf/Host.h"

namespace qx {

class EngineHost : public dbf::Host {
public:
    std::string oemToAnsi(std::string_view oem) const override;
    std::string ansiToOem(std::string_view ansi) const override;
    std::string filePath(const std::string& ansiPath) const override;
    dbf::CivilDay today() const override;

    static const EngineHost& instance();
};

} // namespace qx
