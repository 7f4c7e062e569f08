#include "net/Reply.h"

#include "text/Error.h"

#include <gtest/gtest.h>

namespace qx::net {
namespace {

struct ReplyCase {
    std::vector<std::string> lines; // fed in order until the parser reports the reply complete
    std::size_t linesTaken;         // lines consumed when the reply completed
    int code;
    std::string text;
};

// Test listings show a case by its reply code and text instead of dumping its bytes.
void PrintTo(const ReplyCase& c, std::ostream* out) {
    *out << c.code << ' ' << c.text;
}

class ReplyParserLines : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyParserLines, ParsesCodeAndText) {
    const ReplyCase& c = GetParam();
    ReplyParser parser;
    std::size_t taken = 0;
    bool complete = false;
    for (const auto& line : c.lines) {
        ++taken;
        if ((complete = parser.addLine(line)))
            break;
    }
    ASSERT_TRUE(complete);
    EXPECT_EQ(taken, c.linesTaken);
    Reply reply = parser.take();
    EXPECT_EQ(reply.code, c.code);
    EXPECT_EQ(reply.text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyParserLines,
    ::testing::Values(
        ReplyCase{{"220 Service ready"}, 1, 220, "Service ready"}, ReplyCase{{"220"}, 1, 220, ""},
        ReplyCase{{"220 "}, 1, 220, ""}, ReplyCase{{"530 Login incorrect."}, 1, 530, "Login incorrect."},
        ReplyCase{{"220-Welcome", "220 ready"}, 2, 220, "Welcome\nready"},
        // Lines inside a multi-line reply need no code; a line with another code does not end it.
        ReplyCase{{"211-Features:", " MLSD", " UTF8", "211 End"}, 4, 211, "Features:\n MLSD\n UTF8\nEnd"},
        ReplyCase{
            {"230-Hello", "150 not the end", "230-still", "230 done"}, 4, 230, "Hello\n150 not the end\nstill\ndone"},
        ReplyCase{{"250-mail.example.com", "250-AUTH LOGIN PLAIN", "250 8BITMIME"},
                  3,
                  250,
                  "mail.example.com\nAUTH LOGIN PLAIN\n8BITMIME"},
        ReplyCase{{"214-Help", "214"}, 2, 214, "Help\n"},
        ReplyCase{{"227 Entering Passive Mode (127,0,0,1,4,1)."}, 1, 227, "Entering Passive Mode (127,0,0,1,4,1)."},
        ReplyCase{{"550 Datoteka ne obstaja: \xc5\xbe"}, 1, 550, "Datoteka ne obstaja: \xc5\xbe"}));

TEST(ReplyParser, RejectsFirstLinesWithoutCode) {
    for (std::string bad : {"", "hello", "22", "2x0 x", "220x", "-220 x", " 220 x"}) {
        ReplyParser parser;
        EXPECT_THROW(parser.addLine(bad), Error) << bad;
    }
}

TEST(ReplyParser, StopsAReplyThatNeverEnds) {
    ReplyParser parser;
    ASSERT_FALSE(parser.addLine("220-start"));
    EXPECT_THROW(
        {
            for (std::size_t i = 0; i <= ReplyParser::kMaxLines; ++i)
                parser.addLine("220-more");
        },
        Error);
}

TEST(ReplyParser, StartsEmptyAfterTake) {
    ReplyParser parser;
    ASSERT_TRUE(parser.addLine("200 first"));
    parser.take();
    ASSERT_TRUE(parser.addLine("331 second"));
    EXPECT_EQ(parser.take().code, 331);
}

} // namespace
} // namespace qx::net
