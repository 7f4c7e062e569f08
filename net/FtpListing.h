#pragma once
// Machine listings (MLSD, RFC 3659): each line is facts ("name=value;" ...), one blank,
// then the entry's name.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qx::net {

enum class FtpEntryType {
    Directory, // "dir", "cdir", "pdir"
    File,      // "file", and any type the other kinds do not claim
    Other,     // "OS.unix=slink" and the other "OS.<system>=" kinds: links and devices
};

struct FtpListEntry {
    std::string name;
    FtpEntryType type = FtpEntryType::File;
    std::vector<std::pair<std::string, std::string>> facts; // as listed; names kept as sent

    // The value of a fact (name compared without regard to case); empty when absent.
    std::string fact(const std::string& name) const;
};

// One line without its line end; nullopt for an empty line or one without the blank.
std::optional<FtpListEntry> ParseMlsdLine(const std::string& line);
// Every entry of a listing in the order sent; lines that are no entry are skipped.
std::vector<FtpListEntry> ParseMlsdListing(const std::string& text);

} // namespace qx::net
