#include "run/EngineHost.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "text/Dates.h"

namespace qx {

std::string EngineHost::oemToAnsi(std::string_view oem) const {
    return platform::OemToAnsi(OemText(std::string(oem))).bytes;
}

std::string EngineHost::ansiToOem(std::string_view ansi) const {
    return platform::AnsiToOem(AnsiText(std::string(ansi))).bytes;
}

// The program upper-cases roots and user names; the resolver finds the file whatever its letter case.
std::string EngineHost::filePath(const std::string& ansiPath) const {
    return platform::ResolvePath(platform::FromAnsi(AnsiText(ansiPath)));
}

dbf::CivilDay EngineHost::today() const {
    const CivilDate date = CivilDateOf(platform::Today());
    return {date.year, date.month, date.day};
}

const EngineHost& EngineHost::instance() {
    static const EngineHost host;
    return host;
}

} // namespace qx
