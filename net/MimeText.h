#pragma once
// The text encodings of a mail message: Base64, quoted-printable as this program writes it,
// RFC 2047 encoded words, folding of long header lines and dot-stuffing for DATA.
#include <string>
#include <string_view>
#include <vector>

namespace qx::net {

std::string Base64Encode(std::string_view bytes);

// Quoted-printable of text lines: each input line ends with CRLF; a full stop at the start
// of an output line and a blank or tab ending an input line are encoded; a soft break
// follows as soon as an output line reaches 70 characters.
std::string EncodeQuotedPrintable(const std::vector<std::string>& lines);

// A header text (UTF-8) with runs of words that hold characters outside printable ASCII
// turned into "B" encoded words (UTF-8); plain ASCII text comes back unchanged.
std::string EncodeHeaderText(const std::string& text);

// A display name as it stands before "<address>": quoted with backslash escapes when it is
// printable ASCII, else encoded words. Words with characters that a phrase cannot hold
// unquoted (comma, quote, angle brackets...) are encoded with their non-ASCII neighbours.
std::string EncodeDisplayName(const std::string& name);

// One header line "Name: value" folded at blanks so that no line passes 78 characters
// where a blank allows it; the result has no final CRLF.
std::string FoldHeaderLine(const std::string& line);

// Doubles a full stop that starts a line, as the DATA command requires.
std::string DotStuff(const std::string& text);

} // namespace qx::net
