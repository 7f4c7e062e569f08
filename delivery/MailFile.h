#pragma once
// The service's mail file beside its folder: its first line is the notice address. Only the
// first bytes are fetched, so a huge or runaway file costs neither disk nor memory.
#include <cstddef>
#include <optional>
#include <string>

namespace qx {

// How much of the mail file is fetched; an address line is far shorter.
inline constexpr std::size_t kMailFileLimit = 4096;

// The first line of the mail file's first bytes, without its line end and byte order mark,
// as UTF-8 (bytes that are no UTF-8 are read as ANSI text); nullopt for an empty file.
// `whole` tells whether `bytes` is the whole file. Throws qx::Error naming `fileName` when the
// line does not end within the bytes of a cut file, or holds a CR or NUL (it goes into a
// command to the mail server).
std::optional<std::string> MailFileFirstLine(const std::string& bytes, bool whole, const std::string& fileName);

} // namespace qx
