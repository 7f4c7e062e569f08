#pragma once
// The text of one INI file as lines, with the look-up and the in-place edit that the
// private-profile functions perform. Lines that are not touched keep their bytes.
#include <optional>
#include <string>
#include <vector>

namespace qx::platform {

class IniDocument {
public:
    explicit IniDocument(const std::string& bytes);

    // The raw value of the key (after "="), or nullopt when the section or key is missing.
    // Names are ANSI bytes, compared without regard to case.
    std::optional<std::string> rawValue(const std::string& section, const std::string& key) const;
    // Replaces the key's line, adds the key at the end of its section, or adds the section.
    void set(const std::string& section, const std::string& key, const std::string& value);

    std::string bytes() const;

private:
    struct Line {
        std::string text;   // without its line ending
        std::string ending; // "\r\n", "\n" or "" for a last line without one
    };

    // Index of the section's header line, or nullopt.
    std::optional<std::size_t> findSection(const std::string& section) const;
    // Index of the key's line within the section that starts at `header`, or nullopt.
    std::optional<std::size_t> findKey(std::size_t header, const std::string& key) const;
    std::size_t sectionEnd(std::size_t header) const;

    std::vector<Line> lines_;
    std::string newline_ = "\r\n";
};

// Blanks and one pair of enclosing single or double quotes removed, at most 2047 characters.
std::string CleanIniValue(const std::string& raw);
// An integer value, decimal or "0x" hexadecimal; nullopt when the text is no integer.
std::optional<int> ParseIniInteger(const std::string& text);

} // namespace qx::platform
