#pragma once
// Putting downloaded files in place all or nothing: every target keeps its old file as a
// backup until all new ones are in place; when one cannot be put in place, the ones already
// replaced get their old files back.
#include <string>
#include <vector>

namespace qx::update {

// The suffix of an old file kept while the replacement runs.
inline constexpr const char* kBackupSuffix = ".uOLD";

// Puts every `target` + ".uTMP" in place of `target`. True when all are in place (the backups
// are then deleted); false when nothing was replaced: each target is as before, and the
// ".uTMP" files are deleted so that no later run puts them in place on its own.
bool ReplaceAllOrNothing(const std::vector<std::string>& targets);

} // namespace qx::update
