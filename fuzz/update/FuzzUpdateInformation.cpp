// Any bytes as the information file, as a queue entry, a URL and a date.
#include "net/HttpDate.h"
#include "net/Url.h"
#include "text/Error.h"
#include "update/DownloadTarget.h"
#include "update/UpdateDecision.h"
#include "update/VersionNumber.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    qx::update::TargetFolders folders;
    folders.current = "/prog";
    folders.temp = "/tmp";
    qx::update::DecideUpdate(qx::AnsiText(text), qx::update::kOwnVersion, folders);
    qx::update::IsNewerVersion(text, qx::update::kOwnVersion);
    qx::update::ResolveDownloadEntry(text, folders);
    try {
        qx::net::ParseUrl(text);
    } catch (const qx::Error&) {
    }
    qx::net::ParseHttpDate(text);
    return 0;
}
