#include "delivery/Scramble.h"

#include <gtest/gtest.h>

namespace {

// Reference forms computed outside the program from the rule itself (XOR with the state's
// high byte, the scrambled byte feeds the state).
constexpr const char* kFtpPlain = "ftp.example.com;uporabnik;geslo;21;";
constexpr const char* kFtpScrambled = "3CF02746DA63E89225C50DF7DFE49F39CE76FA04B4F2A1F3323950A4B697BEC04CEE5C";

struct DescrambleCase {
    const char* label;
    std::string scrambled;
    std::string expected;
};

// Test listings name a case by its label instead of dumping its bytes.
void PrintTo(const DescrambleCase& c, std::ostream* out) {
    *out << c.label;
}

class DescrambleEdges : public testing::TestWithParam<DescrambleCase> {};

TEST_P(DescrambleEdges, GivesExpectedText) {
    EXPECT_EQ(qx::Descramble(GetParam().scrambled, qx::kScrambleSeed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DescrambleEdges,
    testing::Values(DescrambleCase{"Empty", "", ""}, DescrambleCase{"SingleCharacter", "1", ""},
                    DescrambleCase{"SingleByte", "1B", "A"}, DescrambleCase{"OddTrailingDigitIgnored", "1BF", "A"},
                    DescrambleCase{"OddTrailingNonDigitIgnored", "1B\r", "A"},
                    DescrambleCase{"LowerCaseDigits",
                                   "3cf02746da63e89225c50df7dfe49f39ce76fa04b4f2a1f3323950a4b697bec04cee5c", kFtpPlain},
                    DescrambleCase{"MixedCaseDigits",
                                   "3Cf02746dA63E89225C50DF7DFE49F39CE76FA04B4F2A1F3323950A4B697BEC04CEE5C", kFtpPlain},
                    DescrambleCase{"UpperCaseDigits", kFtpScrambled, kFtpPlain},
                    DescrambleCase{"Utf8Text", "9EC307A9",
                                   "\xC4\x8C"
                                   "as"},
                    DescrambleCase{"InvalidPairFirst", "G1", ""}, DescrambleCase{"InvalidPairLater", "1B1BZZ", ""},
                    DescrambleCase{"TrailingCrLf", std::string(kFtpScrambled) + "\r\n", ""},
                    DescrambleCase{"SpaceInside", "1B 1B", ""}, DescrambleCase{"SignIsNoDigit", "+1", ""},
                    DescrambleCase{"PrefixIsNoDigit", "0x1B", ""}),
    [](const testing::TestParamInfo<DescrambleCase>& info) { return std::string(info.param.label); });

TEST(Descramble, InvalidUtf8BecomesReplacementCharacter) {
    // "A" then a lone continuation byte: scramble the raw bytes, descramble gives A + U+FFFD.
    const std::string scrambled = qx::Scramble(std::string("A\x80", 2), qx::kScrambleSeed);
    EXPECT_EQ(qx::Descramble(scrambled, qx::kScrambleSeed), "A\xEF\xBF\xBD");
}

TEST(Descramble, SeedMatters) {
    EXPECT_NE(qx::Descramble(kFtpScrambled, static_cast<std::uint16_t>(qx::kScrambleSeed + 1)), kFtpPlain);
}

TEST(Scramble, IsTheInverseOfDescramble) {
    for (const std::string text : {"", "A", kFtpPlain,
                                   "smtp.example.com\x01user\x01pw\x01"
                                   "465\x01"
                                   "2\x01"
                                   "1",
                                   "\xC4\x8D\xC5\xA1\xC5\xBE \xC4\x8C\xC5\xA0\xC5\xBD"}) {
        const std::string scrambled = qx::Scramble(text, qx::kScrambleSeed);
        EXPECT_EQ(scrambled.size(), text.size() * 2);
        EXPECT_EQ(qx::Descramble(scrambled, qx::kScrambleSeed), text);
    }
    EXPECT_EQ(qx::Scramble(kFtpPlain, qx::kScrambleSeed), kFtpScrambled);
}

} // namespace
