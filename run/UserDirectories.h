#pragma once
// The user directories of a data root as the user list shows them.
#include <string>
#include <vector>

namespace qx {

// The last entry of every user list.
inline const std::string kCommonEntry = "SKUPNO    ";

// Sort key of a directory name: a two-digit year before the first "." is replaced so that
// names differing only in that year list newest first, after the same name without digits.
// Keys compare by UTF-16 code units.
std::u16string UserSortKey(const std::string& name);

// Upper-cased names of the subfolders of `root` with a user extension (.P .G .O .Z .R .D,
// ._P ... ._D), sorted by UserSortKey, followed by kCommonEntry. Hidden and system folders,
// names that begin with "." and names the ANSI code page cannot hold are left out.
// A missing, unreadable or non-folder root lists kCommonEntry alone.
std::vector<std::string> ListUserDirectories(const std::string& root);

} // namespace qx
