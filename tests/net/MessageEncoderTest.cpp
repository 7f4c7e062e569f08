#include "net/MessageEncoder.h"
#include "platform/FileSystem.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TestEnvironment.h"

#include "platform/Clock.h"
#include "tests/net/MailReader.h"
#include "text/Error.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace qx::net;

namespace {

// 10 December 2026 04:12:32 UTC, a Thursday; Ljubljana is one hour ahead in winter.
constexpr std::int64_t kWinterMoment = 1796875952;
// 6 July 2026 21:05:09 UTC, a Monday; two hours ahead in summer.
constexpr std::int64_t kSummerMoment = 1783371909;

const std::string kFirm = "Mesarija \xC4\x8C"
                          "op \xC5\xA1pela \xC5\xBD"
                          "aba d.o.o.";
const std::string kHtml =
    "Datum: 10.12.2026<br/>Na FTP stre\xC5\xBEnik so bili prepisani podatki stranke " + kFirm + ".";

// A time zone as each C runtime spells it: the zone database on POSIX, the TZ rule text on Windows.
void SetTimeZone(const char* posix, const char* windows) {
    qx::test::SetEnvironment("TZ", qx::platform::kHasDriveLetters ? windows : posix);
    tzset();
}

class MessageEncoderTest : public ::testing::Test {
protected:
    void SetUp() override { SetTimeZone("Europe/Ljubljana", "CET-1CEST"); }
    void TearDown() override {
        // Windows' C runtime loses the summer-time bias of TZ rules read after TZ was removed once,
        // so there the zone goes back to a rule (UTC) instead.
        if (qx::platform::kHasDriveLetters)
            qx::test::SetEnvironment("TZ", "UTC0");
        else
            qx::test::UnsetEnvironment("TZ");
        tzset();
        qx::platform::SetClockForTests({});
    }

    static MailMessage Notice(const std::string& firm, std::vector<MailAddress> to) {
        MailMessage m;
        m.from = {firm, "prenos@example.com"};
        m.to = std::move(to);
        m.subject = "Podatki stranke " + firm + ", izdani do 30.11.2026";
        m.parts.push_back({"text/html", "UTF-8", "", "", {kHtml}});
        m.contentType = "multipart/mixed";
        m.charset = "UTF-8";
        m.date = kWinterMoment;
        return m;
    }
};

TEST_F(MessageEncoderTest, DateHeaderUsesEnglishNamesAndTheLocalOffset) {
    EXPECT_EQ(FormatMailDate(kWinterMoment), "Thu, 10 Dec 2026 05:12:32 +0100");
    EXPECT_EQ(FormatMailDate(kSummerMoment), "Mon, 6 Jul 2026 23:05:09 +0200");
    SetTimeZone("America/St_Johns", "NST3:30NDT");
    EXPECT_EQ(FormatMailDate(kWinterMoment), "Thu, 10 Dec 2026 00:42:32 -0330");
}

TEST_F(MessageEncoderTest, WritesTheSinglePartFormInTheFixedOrder) {
    auto m = Notice("Novak d.o.o.", {{"", "servis@primer.si"}});
    m.parts[0].body = {"<p>.</p>", ".vrstica "};
    EXPECT_EQ(EncodeMessage(m), "From: \"Novak d.o.o.\" <prenos@example.com>\r\n"
                                "Subject: Podatki stranke Novak d.o.o., izdani do 30.11.2026\r\n"
                                "To: servis@primer.si\r\n"
                                "MIME-Version: 1.0\r\n"
                                "Date: Thu, 10 Dec 2026 05:12:32 +0100\r\n"
                                "Content-Type: text/html; charset=\"UTF-8\"\r\n"
                                "Content-Transfer-Encoding: quoted-printable\r\n"
                                "Content-Disposition: inline\r\n"
                                "\r\n"
                                "<p>.</p>\r\n"
                                "=2Evrstica=20\r\n"
                                "\r\n");
}

TEST_F(MessageEncoderTest, EmptyValuesOmitTheirHeadersAndAMissingNameRepeatsTheAddress) {
    auto m = Notice("", {});
    m.subject.clear();
    std::string text = EncodeMessage(m);
    EXPECT_EQ(text.rfind("From: \"prenos@example.com\" <prenos@example.com>\r\nMIME-Version: 1.0\r\n", 0), 0u) << text;
    EXPECT_EQ(text.find("To:"), std::string::npos);
    EXPECT_EQ(text.find("Subject:"), std::string::npos);
}

TEST_F(MessageEncoderTest, TheDateIsNowWhenTheMessageHasNone) {
    qx::platform::SetClockForTests([] { return kSummerMoment; });
    auto m = Notice("A", {});
    m.date.reset();
    const std::string text = EncodeMessage(m);
    EXPECT_NE(text.find("Date: Mon, 6 Jul 2026 23:05:09 +0200\r\n"), std::string::npos) << text;
}

TEST_F(MessageEncoderTest, GivenTypeEncodingAndDispositionAreKept) {
    auto m = Notice("A", {});
    m.parts[0].transferEncoding = "quoted-printable";
    m.parts[0].disposition = "attachment";
    EXPECT_NE(EncodeMessage(m).find("Content-Disposition: attachment\r\n"), std::string::npos);
}

TEST_F(MessageEncoderTest, OnlyTheSinglePartFormIsWritten) {
    auto twoParts = Notice("A", {});
    twoParts.parts.push_back(twoParts.parts[0]);
    EXPECT_THROW(EncodeMessage(twoParts), qx::Error);
    auto withOwnBody = Notice("A", {});
    withOwnBody.body = {"besedilo"};
    EXPECT_THROW(EncodeMessage(withOwnBody), qx::Error);
    auto blankOwnBody = Notice("A", {});
    blankOwnBody.body = {" \t", ""};
    EXPECT_NO_THROW(EncodeMessage(blankOwnBody));
}

// Independent reader: what a mail program makes of the message.
TEST_F(MessageEncoderTest, PythonReadsBackEveryHeaderAndTheExactBody) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    struct Case {
        std::string firm;
        std::string to;
    };
    const std::vector<Case> cases = {
        {kFirm, "servis@primer.si"},
        {"", "servis@primer.si"},
        {"Firma \"Pri \\ Janezu\", d.o.o.", "servis@primer.si"},
        {"\xC4\x8C"
         "ebelarstvo \"Medeni \\ cvet\", d.o.o. \xC5\xA1"
         "e dolgo ime podjetja, ki ne gre v eno vrstico",
         "servis@primer.si"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firm);
        auto m = Notice(c.firm, {{"", c.to}, {"Ana \xC5\xA0krlj", "ana@primer.si"}});
        auto mail = qx::test::ReadWithPython(EncodeMessage(m));
        EXPECT_EQ(mail.all("header"),
                  (std::vector<std::string>{"From", "Subject", "To", "MIME-Version", "Date", "Content-Type",
                                            "Content-Transfer-Encoding", "Content-Disposition"}));
        EXPECT_EQ(mail.one("subject"), m.subject);
        EXPECT_EQ(mail.one("from-name"), c.firm.empty() ? "prenos@example.com" : c.firm);
        EXPECT_EQ(mail.one("from-address"), "prenos@example.com");
        EXPECT_EQ(mail.all("to-address"), (std::vector<std::string>{c.to, "ana@primer.si"}));
        EXPECT_EQ(mail.all("to-name"), (std::vector<std::string>{"", "Ana \xC5\xA0krlj"}));
        EXPECT_EQ(mail.one("content-type"), "text/html");
        EXPECT_EQ(mail.one("charset"), "utf-8");
        // The empty line after the body belongs to the body for a reader.
        EXPECT_EQ(mail.one("body"), kHtml + "\n\n");
        EXPECT_EQ(mail.all("defect"), std::vector<std::string>{});
    }
}

} // namespace
