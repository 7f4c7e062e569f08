#pragma once
// What the upgrade wizard shows and does next, without its window, so that every front end's
// wizard behaves alike: the bars and texts of a file's progress, and the step after a file.
#include "update/UpdateHttp.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qx::update {

struct FileProgressView {
    int filePercent = 0;
    int totalPercent = 0;
    std::string rate;      // empty until time has passed
    std::string remaining; // empty without an announced size or a rate
};

// File `number` (from 1) of `count`, `received` bytes of `announcedSize` after `seconds`.
FileProgressView FileProgressOf(int number, int count, std::optional<std::uint64_t> announcedSize,
                                std::uint64_t received, double seconds);
// The total bar as file `number` of `count` starts.
int TotalPercentAtStart(int number, int count);

enum class AfterFile {
    Next,           // the file is complete: its time is set, the next one starts
    AskToSkip,      // the server has no such file: the operator may skip it
    ConnectionLost, // the connection broke off: "Povezava s strežnikom je prekinjena..."
    NotWritable,    // the file could not be written
    Stop,           // nothing to say: the upgrade stops
};
AfterFile StepAfterFile(TransferOutcome outcome);

} // namespace qx::update
