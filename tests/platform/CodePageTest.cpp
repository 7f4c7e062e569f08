#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <vector>

namespace qx::platform {
namespace {

struct CodePageCase {
    std::string utf8;
    std::string ansi; // windows-1250
    std::string oem;  // cp852
};

TEST(CodePage, SlovenianLettersBothWays) {
    const std::vector<CodePageCase> cases = {
        {"abc 123", "abc 123", "abc 123"},
        {"č", "\xe8", "\x9f"},
        {"Č", "\xc8", "\xac"},
        {"š", "\x9a", "\xe7"},
        {"Š", "\x8a", "\xe6"},
        {"ž", "\x9e", "\xa7"},
        {"Ž", "\x8e", "\xa6"},
        {"Začni", "Za\xe8ni", "Za\x9fni"},
        {"€", "\x80", "?"},
    };
    for (const CodePageCase& c : cases) {
        EXPECT_EQ(ToAnsi(c.utf8).bytes, c.ansi) << c.utf8;
        EXPECT_EQ(ToOem(c.utf8).bytes, c.oem) << c.utf8;
        EXPECT_EQ(FromAnsi(AnsiText(c.ansi)), c.utf8) << c.utf8;
        if (c.oem != "?") {
            EXPECT_EQ(FromOem(OemText(c.oem)), c.utf8) << c.utf8;
        }
    }
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToAnsi("a日b").bytes, "a?b");
    // Windows writes one default character for each UTF-16 unit of a character outside the BMP.
    EXPECT_EQ(ToAnsi("😀").bytes, kHasDriveLetters ? "??" : "?");
    EXPECT_EQ(ToOem("ø").bytes, "?");
    EXPECT_EQ(ToAnsi("x\xff"
                     "y")
                  .bytes,
              "x?y"); // an invalid UTF-8 byte
}

TEST(CodePage, AnsiAndOemConvertIntoEachOther) {
    EXPECT_EQ(AnsiToOem(AnsiText("\xe8\x9a\x9e")).bytes, "\x9f\xe7\xa7");
    EXPECT_EQ(OemToAnsi(OemText("\xac\xe6\xa6")).bytes, "\xc8\x8a\x8e");
}

TEST(CodePage, EveryAnsiByteRoundTrips) {
    for (int b = 1; b < 256; ++b) {
        const AnsiText one(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(ToAnsi(FromAnsi(one)), one) << b;
        const OemText oem(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(ToOem(FromOem(oem)), oem) << b;
    }
}

struct CaseCase {
    std::string lower;
    std::string upper;
};

TEST(CodePage, FullUnicodeCaseMapping) {
    const std::vector<CaseCase> cases = {
        {"abc", "ABC"},       {"čšž", "ČŠŽ"},       {"ćđ", "ĆĐ"}, {"c:/data/firma.p", "C:/DATA/FIRMA.P"},
        {"ελλάδα", "ΕΛΛΆΔΑ"}, {"123 ;.", "123 ;."},
    };
    for (const CaseCase& c : cases) {
        EXPECT_EQ(UpperCase(c.lower), c.upper) << c.lower;
        EXPECT_EQ(LowerCase(c.upper), c.lower) << c.upper;
    }
    EXPECT_EQ(UpperCase("a\xff"
                        "b"),
              "A\xff"
              "B"); // invalid bytes are kept
}

TEST(CodePage, SameTextIgnoringCase) {
    EXPECT_TRUE(SameTextIgnoringCase("Firma.p", "FIRMA.P"));
    EXPECT_TRUE(SameTextIgnoringCase("žaba", "ŽABA"));
    EXPECT_FALSE(SameTextIgnoringCase("FIRMA.P", "FIRMA.G"));
    EXPECT_FALSE(SameTextIgnoringCase("A", "A "));
}

} // namespace
} // namespace qx::platform
