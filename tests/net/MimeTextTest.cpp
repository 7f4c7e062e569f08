#include "net/MimeText.h"
#include "net/AddressList.h"

#include <gtest/gtest.h>

using namespace qx::net;

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

const std::string X69(69, 'x');
const std::string X70(70, 'x');

TEST(QuotedPrintable, EncodesLineByLine) {
    const std::vector<TextCase> cases = {
        {"abc", "abc\r\n"},
        {"", "\r\n"},
        {".abc", "=2Eabc\r\n"},
        {"a.b.", "a.b.\r\n"},
        {"a b", "a b\r\n"},
        {"a ", "a=20\r\n"},
        {"a\t", "a=09\r\n"},
        {" ", "=20\r\n"},
        {"a\tb", "a\tb\r\n"},
        {"a=b", "a=3Db\r\n"},
        {"\xC4\x8D", "=C4=8D\r\n"},
        {"<br/>", "<br/>\r\n"},
        {"a\rb", "a=0Db\r\n"},
        {X69 + "yz", X69 + "y=\r\nz\r\n"},
        {X70, X70 + "=\r\n\r\n"},
        {std::string(68, 'x') + "\xC4\x8D", std::string(68, 'x') + "=C4=\r\n=8D\r\n"},
        {X70 + ".", X70 + "=\r\n=2E\r\n"},
        {X69 + " a", X69 + " =\r\na\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeQuotedPrintable({c.input}), c.expected) << c.input;
}

TEST(QuotedPrintable, EndsEveryInputLineWithCrlf) {
    EXPECT_EQ(EncodeQuotedPrintable({"a", "", ".b "}), "a\r\n\r\n=2Eb=20\r\n");
    EXPECT_EQ(EncodeQuotedPrintable({}), "");
}

TEST(QuotedPrintable, NoOutputLinePassesTheLimit) {
    std::string line;
    for (int i = 0; i < 200; ++i)
        line += i % 3 ? "\xC5\xBE" : "a ";
    std::string out = EncodeQuotedPrintable({line});
    std::size_t start = 0;
    for (auto end = out.find("\r\n"); end != std::string::npos; end = out.find("\r\n", start)) {
        EXPECT_LE(end - start, 76u);
        start = end + 2;
    }
}

TEST(EncodedWords, EncodeOnlyRunsOfWordsOutsidePrintableAscii) {
    const std::vector<TextCase> cases = {
        {"Podatki stranke ABC, izdani do 31.12.2025", "Podatki stranke ABC, izdani do 31.12.2025"},
        {"", ""},
        {"Podatki stranke \xC5\xBD"
         "aba d.o.o., izdani",
         "Podatki stranke =?UTF-8?B?xb1hYmE=?= d.o.o., izdani"},
        {"\xC4\x8Cop \xC5\xA0u\xC5\xA1tar", "=?UTF-8?B?xIxvcCDFoHXFoXRhcg==?="},
        {"\xC4\x8Cop in \xC5\xA0u\xC5\xA1tar", "=?UTF-8?B?xIxvcA==?= in =?UTF-8?B?xaB1xaF0YXI=?="},
        {"tab\there", "=?UTF-8?B?dGFiCWhlcmU=?="},
        {"=?x?= test", "=?UTF-8?B?PT94Pz0=?= test"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeHeaderText(c.input), c.expected) << c.input;
}

TEST(EncodedWords, LongRunsSplitBetweenCharactersIntoShortWords) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "\xC5\xA1\xC4\x8D\xC5\xBE";
    std::string out = EncodeHeaderText(text);
    std::size_t start = 0;
    int words = 0;
    while (start < out.size()) {
        auto end = out.find(' ', start);
        if (end == std::string::npos)
            end = out.size();
        std::string word = out.substr(start, end - start);
        EXPECT_LE(word.size(), 75u);
        EXPECT_EQ(word.rfind("=?UTF-8?B?", 0), 0u);
        EXPECT_EQ(word.substr(word.size() - 2), "?=");
        ++words;
        start = end + 1;
    }
    EXPECT_GT(words, 1);
}

TEST(DisplayName, QuotesAsciiAndEncodesTheRest) {
    const std::vector<TextCase> cases = {
        {"Mesarija Novak d.o.o.", "\"Mesarija Novak d.o.o.\""},
        {"Firma \"Pri \\ Janezu\"", "\"Firma \\\"Pri \\\\ Janezu\\\"\""},
        {"\xC4\x8Cop", "=?UTF-8?B?xIxvcA==?="},
        {"\xC4\x8Cop, d.o.o.", "=?UTF-8?B?xIxvcCwgZC5vLm8u?="},
        {"\xC4\x8Cop in drug", "=?UTF-8?B?xIxvcA==?= in drug"},
        {"Mesarija \xC4\x8Cop", "Mesarija =?UTF-8?B?xIxvcA==?="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeDisplayName(c.input), c.expected) << c.input;
}

TEST(HeaderFolding, FoldsAtBlanksAndUnfoldsToTheOriginal) {
    std::string line = "To: ";
    for (int i = 0; i < 12; ++i)
        line += (i ? ", " : "") + std::string("uporabnik") + std::to_string(i) + "@primer.si";
    std::string folded = FoldHeaderLine(line);
    EXPECT_NE(folded.find("\r\n "), std::string::npos);
    std::size_t start = 0;
    for (auto end = folded.find("\r\n");; end = folded.find("\r\n", start)) {
        EXPECT_LE((end == std::string::npos ? folded.size() : end) - start, 78u);
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    std::string unfolded = folded;
    for (auto pos = unfolded.find("\r\n"); pos != std::string::npos; pos = unfolded.find("\r\n"))
        unfolded.erase(pos, 2);
    EXPECT_EQ(unfolded, line);
}

TEST(HeaderFolding, LeavesShortLinesAndUnbreakableWordsAlone) {
    EXPECT_EQ(FoldHeaderLine("Subject: kratko"), "Subject: kratko");
    std::string word(100, 'a');
    EXPECT_EQ(FoldHeaderLine("Subject: " + word), "Subject: " + word);
    EXPECT_EQ(FoldHeaderLine("Subject: " + word + " b"), "Subject: " + word + "\r\n b");
}

TEST(DotStuffing, DoublesLeadingFullStops) {
    EXPECT_EQ(DotStuff(".a\r\nb.\r\n.\r\n"), "..a\r\nb.\r\n..\r\n");
    EXPECT_EQ(DotStuff("a\r\n"), "a\r\n");
}

TEST(AddressList, SplitsAtCommasAndSemicolons) {
    struct Case {
        std::string text;
        std::vector<MailAddress> expected;
    };
    const std::vector<Case> cases = {
        {"a@x.si", {{"", "a@x.si"}}},
        {"", {}},
        {"a@x.si, b@y.si;c@z.si", {{"", "a@x.si"}, {"", "b@y.si"}, {"", "c@z.si"}}},
        {" ; ,a@x.si,, \r\n", {{"", "a@x.si"}}},
        {"\"Novak, Janez\" <j@x.si>; b@y.si", {{"Novak, Janez", "j@x.si"}, {"", "b@y.si"}}},
        {"Janez Novak <j@x.si>", {{"Janez Novak", "j@x.si"}}},
        {"\"A \\\"B\\\" C\" <a@x.si>", {{"A \"B\" C", "a@x.si"}}},
        {"<odd;one@x.si>", {{"", "odd;one@x.si"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAddressList(c.text), c.expected) << c.text;
}

} // namespace
