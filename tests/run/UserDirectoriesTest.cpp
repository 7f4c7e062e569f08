#include "run/UserDirectories.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"
#include "text/Utf8.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace qx {
namespace {

using test::TempDir;

struct KeyCase {
    std::string name;
    std::u16string key;
};

TEST(UserSortKey, TableOfCases) {
    const std::vector<KeyCase> cases = {
        {"FIRMA.P", u"FIRMA.P"},
        {"FIRMA19.P", u"FIRMA\u00CA\u00C7.P"}, // 169: 6 -> 202, 9 -> 199
        {"FIRMA20.P", u"FIRMA\u00C9\u00D0.P"}, // 170: 7 -> 201, 0 -> 208
        {"FIRMA98.P", u"FIRMA\u00CC\u00C8.P"}, // 248: 4 -> 204, 8 -> 200
        {"FIRMA49.P", u"FIRMA\u00C7\u00C7.P"}, // 199: 9 -> 199, 9 -> 199
        {"FIRMA50.P", u"FIRMA\u00D0\u00D0.P"}, // 200: 0 -> 208, 0 -> 208
        {"12.P", u"\u00CA\u00CE.P"},           // 162: 6 -> 202, 2 -> 206
        {"1.P", u"1.P"},                       // the first character and the dot
        {"FIRMA1X.P", u"FIRMA1X.P"},
        {"OSTALO", u"OSTALO"},
        {"A19.B20.P", u"A\u00CA\u00C7.B20.P"},    // only before the first dot
        {"ŽAGA05.P", u"\u017DAGA\u00CB\u00CB.P"}, // 155
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(UserSortKey(c.name), c.key) << c.name;
}

TEST(UserSortKey, YearsListNewestFirstAfterTheNameWithoutDigits) {
    const std::vector<std::string> ordered = {"X.P", "X49.P", "X20.P", "X19.P", "X00.P", "X99.P", "X98.P", "X50.P"};
    for (std::size_t i = 1; i < ordered.size(); ++i)
        EXPECT_LT(UserSortKey(ordered[i - 1]), UserSortKey(ordered[i])) << ordered[i - 1] << " < " << ordered[i];
}

class Listing : public ::testing::Test {
protected:
    void folder(const std::string& name) { ASSERT_TRUE(platform::CreateDirectories(dir.file(name))); }
    TempDir dir;
};

TEST_F(Listing, FilterAndOrderOfTheExample) {
    for (const char* name :
         {"FIRMA.P", "FIRMA19.P", "firma20.p", "FIRMA98.P", "DRUGA._G", "OSTALO", ".P", "FIRMA.X", ".skrita.P"})
        folder(name);
    test::WriteWholeFile(dir.file("DATOTEKA.P"), "a file, not a folder");
    const std::vector<std::string> expected = {"DRUGA._G",  "FIRMA.P",   "FIRMA20.P",
                                               "FIRMA19.P", "FIRMA98.P", "SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.path()), expected);
}

TEST_F(Listing, EveryUserExtension) {
    for (const char* name : {"A.P", "B.G", "C.O", "D.Z", "E.R", "F.D", "G._P", "H._G", "I._O", "J._Z", "K._R", "L._D",
                             "M.P#", "N._D#", "O.PG", "P.Q", "Q._Q", "R.#", "S.G#.X"})
        folder(name);
    const std::vector<std::string> expected = {"A.P",  "B.G",  "C.O",  "D.Z",  "E.R",  "F.D",   "G._P",      "H._G",
                                               "I._O", "J._Z", "K._R", "L._D", "M.P#", "N._D#", "SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.path()), expected);
}

TEST_F(Listing, NamesAreUpperCasedWithFullUnicode) {
    folder("čebela.p");
    folder("žaga05.g");
    const std::vector<std::string> expected = {"ČEBELA.P", "ŽAGA05.G", "SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.path()), expected);
}

TEST_F(Listing, NamesTheAnsiCodePageCannotHoldAreLeftOut) {
    folder("日本.P");
    folder("Ørsted.P");               // Ø has no place in windows-1250
    folder(std::string("\xe8rka.P")); // not UTF-8 at all
    folder("ŠOLA.P");
    const std::vector<std::string> expected = {"ŠOLA.P", "SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.path()), expected);
}

TEST_F(Listing, RootsWithoutUsers) {
    folder("empty");
    test::WriteWholeFile(dir.file("file.P"), "x");
    const std::vector<std::string> common = {"SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.file("empty/")), common);
    EXPECT_EQ(ListUserDirectories(dir.file("missing/")), common);
    EXPECT_EQ(ListUserDirectories(dir.file("file.P")), common);
    EXPECT_EQ(ListUserDirectories(dir.file("file.P/")), common);
}

TEST_F(Listing, RootWrittenInAnotherCase) {
    folder("kerno/firma.p");
    const std::vector<std::string> expected = {"FIRMA.P", "SKUPNO    "};
    EXPECT_EQ(ListUserDirectories(dir.file("KERNO/")), expected);
}

} // namespace
} // namespace qx
