#pragma once
// Fetching the information file and one queued file. Both run on the update's worker thread;
// what they report is handed to the window thread by the caller.
#include "platform/FileSystem.h"
#include "text/EightBitText.h"
#include "update/DownloadTarget.h"
#include "update/MakerSignature.h"
#include "update/UpdateHttp.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace qx::update {

// The information file must arrive within this time, so that start-up never waits for long.
inline constexpr int kInformationTimeoutMs = 10000;
// A larger information file is refused: it is no information file of ours.
inline constexpr std::uint64_t kInformationMaxBytes = 1024 * 1024;
// The signature beside it: 64 bytes; anything longer is no signature.
inline constexpr std::uint64_t kSignatureMaxBytes = 1024;
// A file download is broken off when no byte arrives for this long.
inline constexpr int kDownloadIdleTimeoutMs = 30000;

inline constexpr const char* kTemporarySuffix = ".uTMP";
// A ".uTMP" file is hidden and temporary while it arrives, and also archive once complete.
inline constexpr std::uint32_t kDownloadingAttributes = platform::kAttrHidden | platform::kAttrTemporary;
inline constexpr std::uint32_t kDownloadedAttributes = kDownloadingAttributes | platform::kAttrArchive;

struct InformationFetch {
    HttpResult http;
    AnsiText text; // the body when it arrived complete and signed by the maker
};

// Fetches the information file and its signature (the same URL + ".sig"). A file without a
// signature, or with one that does not verify against `publicKey`, is Unsigned and carries no text.
InformationFetch FetchInformationFile(const std::string& url, const std::atomic<bool>& cancel,
                                      const std::string& publicKey = MakerPublicKey());

class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    virtual void started(std::optional<std::uint64_t> announcedSize) = 0;
    virtual void progressed(std::uint64_t received) = 0;
};

// Fetches the entry's URL into its target path + ".uTMP", creating the target's folder and
// keeping the file hidden. A file that is not exactly the entry's size and SHA-256 is
// BrokenOff; one growing past its size stops at once. The caller deletes the file when the
// result is not Complete.
HttpResult DownloadToTemporaryFile(const DownloadEntry& entry, DownloadProgress& progress,
                                   const std::atomic<bool>& cancel);

} // namespace qx::update
