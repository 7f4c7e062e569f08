// Any bytes as the information file, as a queue entry, a URL, a date and an answer's head.
#include "update/DownloadTarget.h"
#include "update/HttpUrl.h"
#include "update/UpdateDecision.h"
#include "update/UpdateHttp.h"
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
    qx::update::ParseHttpUrl(text);
    qx::update::ParseHttpDate(text);
    qx::update::HttpResult head;
    qx::update::ParseHttpHead(text, head);
    return 0;
}
