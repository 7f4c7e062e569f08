// The replacement program's queue file from any bytes: the target paths it names, each one
// line, none empty, none twice.
#include "fuzz/Check.h"
#include "update/UpgradeFiles.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto targets =
        qx::update::QueueFileTargets(qx::AnsiText(std::string(reinterpret_cast<const char*>(data), size)));
    std::set<std::string> seen;
    for (const auto& target : targets) {
        Check(!target.empty() && target.find('\n') == std::string::npos);
        Check(seen.insert(target).second);
    }
    return 0;
}
