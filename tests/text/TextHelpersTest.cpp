#include "text/TextHelpers.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <vector>

namespace qx {
namespace {

struct BackslashCase {
    std::string in;
    std::string out;
};

// Windows keeps drive letters; POSIX has none, so a lone letter or a colon is just a name.
std::vector<BackslashCase> BackslashCases() {
    if (platform::kHasDriveLetters)
        return {{"", ""},
                {"C:", "C:"},
                {"c", "c:\\"},
                {"D", "D:\\"},
                {"1", "1\\"},
                {"C:\\DATA", "C:\\DATA\\"},
                {"C:\\DATA\\", "C:\\DATA\\"}};
    return {{"", ""},    {"C:", "C:/"},       {"c", "c/"},          {"D", "D/"},
            {"1", "1/"}, {"/data", "/data/"}, {"/data/", "/data/"}, {"/", "/"}};
}

TEST(AppendBackslash, TableOfCases) {
    for (const BackslashCase& c : BackslashCases())
        EXPECT_EQ(platform::AppendBackslash(c.in), c.out) << "input \"" << c.in << "\"";
}

struct TokenCase {
    std::string text;
    std::string seps;
    int count;
    std::vector<std::string> tokens; // positions 0 .. count + 1
};

TEST(Tokens, TableOfCases) {
    const std::vector<TokenCase> cases = {
        {"A;B;;C", ";", 4, {"", "A", "B", "", "C", ""}},
        {"", ";", 0, {"", ""}},
        {"A", ";", 1, {"", "A", ""}},
        {";", ";", 2, {"", "", "", ""}},
        {"3.0.22.0", ".", 4, {"", "3", "0", "22", "0", ""}},
        {"a,b;c", ",;", 3, {"", "a", "b", "c", ""}},
        {"a;b", "", 1, {"", "a;b", ""}},
        {";X;", ";", 3, {"", "", "X", "", ""}},
        {"č;ž", ";", 2, {"", "č", "ž", ""}},
        {"ačb", "č", 2, {"", "a", "b", ""}},
    };
    for (const TokenCase& c : cases) {
        EXPECT_EQ(TokenCount(c.text, c.seps), c.count) << c.text;
        for (std::size_t n = 0; n < c.tokens.size(); ++n)
            EXPECT_EQ(Token(c.text, c.seps, static_cast<std::uint8_t>(n)), c.tokens[n]) << c.text << " #" << n;
    }
}

TEST(Tokens, CountIsEightBitAndWraps) {
    const std::string text(255, ';'); // 256 tokens
    EXPECT_EQ(TokenCount(text, ";"), 0);
    std::string named;
    for (int i = 1; i <= 300; ++i)
        named += (i > 1 ? ";" : "") + std::to_string(i);
    EXPECT_EQ(TokenCount(named, ";"), 300 % 256);
    EXPECT_EQ(Token(named, ";", 255), "255");
}

struct EightBitCase {
    std::string in;
    std::string out;
};

TEST(TrimBoth, TableOfCases) {
    const std::vector<EightBitCase> cases = {
        {"  a b  ", "a b"}, {"\ta ", "\ta"}, {"   ", ""}, {"", ""}, {"a\r\n", "a\r\n"}, {" \xe8 ", "\xe8"},
    };
    for (const EightBitCase& c : cases)
        EXPECT_EQ(TrimBoth(AnsiText(c.in)).bytes, c.out) << "\"" << c.in << "\"";
}

TEST(Trim, BlanksOfTheCallersChoice) {
    struct Case {
        std::string in, blanks, out;
    };
    const std::vector<Case> cases = {
        {" \t a b\t ", " \t", "a b"}, {"a\r\n", " \t", "a\r\n"}, {" <a@b.si>\r\n", " \t\r\n", "<a@b.si>"},
        {" \t\r\n", " \t\r\n", ""},   {"", " \t", ""},           {"\ta ", " ", "\ta"},
        {" \xe8 ", " \t", "\xe8"},    {"x", " \t", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Trim(c.in, c.blanks), c.out) << "\"" << c.in << "\"";
    EXPECT_EQ(Trim(" \tSIZE\t "), "SIZE"); // blanks and tabs unless told otherwise
}

TEST(Hex, DigitValues) {
    const std::vector<std::pair<char, int>> cases = {
        {'0', 0},  {'9', 9},  {'a', 10}, {'F', 15}, {'f', 15}, {'/', -1},    {':', -1},
        {'@', -1}, {'G', -1}, {'`', -1}, {'g', -1}, {' ', -1}, {'\xc1', -1},
    };
    for (const auto& [digit, value] : cases)
        EXPECT_EQ(HexDigitValue(digit), value) << digit;
}

TEST(Hex, BytesAndBack) {
    EXPECT_EQ(HexOf(std::string("\x00\x0f\xa5\xff", 4)), "000fa5ff");
    EXPECT_EQ(HexOf(""), "");
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"000fa5ff", std::string("\x00\x0f\xa5\xff", 4)},
        {"000FA5FF", std::string("\x00\x0f\xa5\xff", 4)},
        {"", std::string()},
        {"abc", std::nullopt}, // an odd number of digits
        {"0g", std::nullopt},  // not a hex digit
        {"0 ", std::nullopt},  // a blank
        {"@0", std::nullopt},  // the character before "A"
        {"`0", std::nullopt},  // the character before "a"
    };
    for (const auto& [hex, bytes] : cases)
        EXPECT_EQ(BytesOfHex(hex), bytes) << hex;
}

TEST(AsciiCase, ChangesOnlyTheAsciiLetters) {
    struct Case {
        std::string in, lower, upper;
    };
    // č in UTF-8 and è in windows-1250 stay as they are, whatever the C library's locale.
    const std::vector<Case> cases = {
        {"AUTH=Login", "auth=login", "AUTH=LOGIN"},
        {"#URL1=", "#url1=", "#URL1="},
        {"Ä"
         "d",
         "Ä"
         "d",
         "Ä"
         "D"},
        {"èx", "èx", "èX"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AsciiLowerCase(c.in), c.lower) << c.in;
        EXPECT_EQ(AsciiUpperCase(c.in), c.upper) << c.in;
    }
}

TEST(AsciiCase, PrefixesIgnoringCase) {
    struct Case {
        std::string text, lowerPrefix;
        bool starts;
    };
    const std::vector<Case> cases = {
        {"Multipart/mixed", "multipart", true},
        {"MULTIPART", "multipart", true},
        {"multi", "multipart", false},
        {"%Desktop%\\a", "%desktop%", true},
        {"text/plain", "multipart", false},
        {"", "", true},
        {"x", "", true},
        {"\xc8"
         "ez",
         "\xe8"
         "ez",
         false}, // only ASCII letters change case
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartsWithIgnoringCase(c.text, c.lowerPrefix), c.starts) << c.text << " " << c.lowerPrefix;
}

struct PadCase {
    bool left;
    std::string in;
    std::uint16_t width;
    char fill;
    std::string out;
};

TEST(Pad, TableOfCases) {
    const std::vector<PadCase> cases = {
        {true, "7", 3, '0', "007"},          {true, "169", 3, '0', "169"},       {false, "AB", 5, ' ', "AB   "},
        {false, "ABCDEF", 3, ' ', "ABCDEF"}, {true, "ABCDEF", 3, '0', "ABCDEF"}, {true, "", 2, '*', "**"},
        {false, "\xe8", 2, ' ', "\xe8 "},    {true, "x", 0, '0', "x"},
    };
    for (const PadCase& c : cases) {
        const AnsiText result =
            c.left ? PadLeft(AnsiText(c.in), c.width, c.fill) : PadRight(AnsiText(c.in), c.width, c.fill);
        EXPECT_EQ(result.bytes, c.out) << c.in << " " << c.width;
    }
}

TEST(IsDirectory, FoldersFilesAndMissingPaths) {
    test::TempDir dir;
    test::WriteWholeFile(dir.file("file.txt"), "x");
    platform::CreateDirectories(dir.file("Sub"));
    EXPECT_TRUE(platform::IsDirectory(dir.path()));
    EXPECT_TRUE(platform::IsDirectory(dir.file("Sub")));
    EXPECT_TRUE(platform::IsDirectory(dir.file("SUB")));
    EXPECT_FALSE(platform::IsDirectory(dir.file("file.txt")));
    EXPECT_FALSE(platform::IsDirectory(dir.file("missing")));
    EXPECT_FALSE(platform::IsDirectory(""));
}

} // namespace
} // namespace qx
