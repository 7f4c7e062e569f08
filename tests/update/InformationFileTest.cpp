#include "update/InformationFile.h"
#include "update/UpdateDecision.h"
#include "update/VersionNumber.h"

#include <gtest/gtest.h>

namespace qx::update {
namespace {

using namespace std::string_literals;

struct ValueCase {
    const char* name;
    std::string text;
    const char* key;
    std::optional<std::string> expected;
};

TEST(InformationFile, ValuesAreFoundInTheWholeLowerCasedText) {
    const std::vector<ValueCase> cases = {
        {"crlf line", "#version=3.0.24\r\n", "#version", "3.0.24"},
        {"capitals in the key", "#VERSION=3.0.24\r\n", "#version", "3.0.24"},
        {"key asked in capitals", "#version=3.0.24\r\n", "#VERSION", "3.0.24"},
        {"value keeps its case", "#url=HTTP://Host/A.EXE\r\n", "#url", "HTTP://Host/A.EXE"},
        {"first occurrence counts", "#version=1\r\n#version=9\r\n", "#version", "1"},
        {"found inside other text", "junk#version=5 and more\r\n", "#version", "5 and more"},
        {"ends at a tab", "#version=3.0\t24\r\n", "#version", "3.0"},
        {"not followed by =", "#versionx=5\r\n", "#version", std::nullopt},
        {"missing", "#date=1/1/2020\r\n", "#version", std::nullopt},
        {"empty value", "#version=\r\n", "#version", ""},
        {"no final line break loses two", "#version=3.0.24", "#version", "3.0."},
        {"single LF loses one", "#version=3.0.24\n", "#version", "3.0.2"},
        {"key at the very end", "#version=", "#version", ""},
        {"empty text", "", "#version", std::nullopt},
        {"8-bit bytes are no control", "#message=\xe8\x9a\x9e\r\n", "#message", "\xe8\x9a\x9e"},
    };
    for (const ValueCase& c : cases)
        EXPECT_EQ(FindInformationValue(c.text, c.key), c.expected) << c.name;
}

TEST(InformationFile, MessageRunsInBracesOverLines) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"#message={Nova verzija.\r\nPopravki tiskanja.}\r\n", "Nova verzija.\r\nPopravki tiskanja."},
        {"#MESSAGE={one}\r\n", "one"},
        {"#message={no closing brace\r\nat all\r\n", "no closing brace\r\nat all"},
        {"#message=plain\r\n", std::nullopt},
        {"#message={}\r\n", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FindInformationMessage(text), expected) << text;
}

TEST(InformationFile, QueueFollowsTheNumberingRule) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"#url=a\r\n#url1=b\r\n", {"a"}}, // the next key looked for is #url2
        {"#url=a\r\n#url2=b\r\n#url3=c\r\n", {"a", "b", "c"}},
        {"#url1=a\r\n#url2=b\r\n#url3=c\r\n", {"a", "b", "c"}},
        {"#url0=a\r\n#url2=b\r\n", {"a", "b"}},
        {"#url=a\r\n#url0=b\r\n#url2=x\r\n#url3=c\r\n", {"a", "b", "c"}},
        {"#URL1=a\r\n", {"a"}},
        {"#url1=a\r\n#url3=c\r\n", {"a"}},
        {"#url12=x\r\n#url1=a\r\n", {"a"}},
        {"#url01=x\r\n", {}},
        {"#version=3.1\r\n", {}},
        {"#url1=first\r\n#url1=second\r\n", {"first"}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(BuildDownloadQueue(text), expected) << text;
}

TEST(InformationFile, AThousandUrlKeysAreAllQueued) {
    std::string text = "#version=9\r\n";
    for (int i = 1; i <= 1000; ++i)
        text += "#url" + std::to_string(i) + "=http://h/f" + std::to_string(i) + "\r\n";
    std::vector<std::string> queue = BuildDownloadQueue(text);
    ASSERT_EQ(queue.size(), 1000u);
    EXPECT_EQ(queue.back(), "http://h/f1000");
}

TEST(InformationFile, MethodIsTheFirstCharacter) {
    const std::vector<std::pair<std::string, UpgradeMethod>> cases = {
        {"#method=1\r\n", UpgradeMethod::ExternalSetup},
        {"#method=2\r\n", UpgradeMethod::Redirect},
        {"#method=2x\r\n", UpgradeMethod::Redirect},
        {"#method=0\r\n", UpgradeMethod::SelfUpgrade},
        {"#method=3\r\n", UpgradeMethod::SelfUpgrade},
        {"#method=\r\n", UpgradeMethod::SelfUpgrade},
        {"", UpgradeMethod::SelfUpgrade},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReadUpgradeMethod(text), expected) << text;
}

TEST(InformationFile, ReadConvertsFromTheAnsiCodePage) {
    InformationFile file = ReadInformationFile(AnsiText("#version=3.1\r\n#message={Popravljen izra\xe8un}\r\n"
                                                        "#url1=http://h/a\r\n#method=1\r\n"));
    EXPECT_EQ(file.version, "3.1");
    EXPECT_EQ(file.message, "Popravljen izračun");
    EXPECT_EQ(file.queue, std::vector<std::string>{"http://h/a"});
    EXPECT_EQ(file.method, UpgradeMethod::ExternalSetup);
}

TEST(VersionNumber, ComparesFourIntegerPartsThenTheTexts) {
    const std::vector<std::pair<const char*, bool>> offeredAgainst3_0_23 = {
        {"3.0.24", true},   {"3.1", true},         {"3.0.23.0", false}, {"3.0.23", false},
        {"3.0.9", false},   {"3.0.23b", true},     {"3.0.23.1", true},  {"4", true},
        {"2.99.99", false}, {"", false},           {"3.0.023", false},  {"3.0.x", true},
        {"3.0.1x", false},  {"99999999999", true}, {"3.0.22.9", false}, {"3.0.23.0.1", true},
    };
    for (const auto& [offered, newer] : offeredAgainst3_0_23)
        EXPECT_EQ(IsNewerVersion(offered, kOwnVersion), newer) << offered;
    EXPECT_STREQ(kOwnVersion, "3.0.23");
}

TEST(UpdateDecision, AnUpdateNeedsANewerVersionAndAQueue) {
    // The size and SHA-256 (of "abc") that every file to install needs.
    const std::string kFileKeys =
        "#size1=3\r\n#hash1=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n";
    TargetFolders folders;
    folders.current = "/prog";
    struct Case {
        const char* name;
        std::string text;
        bool available;
    };
    const std::vector<Case> cases = {
        {"newer with a file", "#version=3.0.24\r\n#url1=http://h/a.exe\r\n" + kFileKeys, true},
        {"newer without any url key", "#version=3.0.24\r\n#message={x}\r\n", false},
        {"equal", "#version=3.0.23.0\r\n#url1=http://h/a.exe\r\n" + kFileKeys, false},
        {"older", "#version=3.0.9\r\n#url1=http://h/a.exe\r\n" + kFileKeys, false},
        {"a target climbing out",
         "#version=3.1\r\n#url1=http://h/a.exe\r\n#url2=http://h/b=..\\b.exe\r\n" + kFileKeys +
             "#size2=3\r\n#hash2=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n",
         false},
        {"binary", "\0\x01\xff#version=3.1\0#url1=\x02\r\n"s, false},
        {"version without a final line break", "#url1=http://h/a.exe\r\n" + kFileKeys + "#version=3.0.24", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideUpdate(AnsiText(c.text), kOwnVersion, folders).available, c.available) << c.name;

    UpdateOffer offer = DecideUpdate(AnsiText("#version=3.1\r\n#message={a\r\nb}\r\n#method=2\r\n#url=http://h/x\r\n"),
                                     kOwnVersion, folders);
    ASSERT_TRUE(offer.available);
    EXPECT_EQ(offer.message, "a\r\nb");
    EXPECT_EQ(offer.method, UpgradeMethod::Redirect);
    ASSERT_EQ(offer.entries.size(), 1u);
    EXPECT_EQ(offer.entries[0].target, "/prog/x");
}

TEST(UpdateDecision, GarbageOfAnySizeIsNoOffer) {
    std::string garbage;
    for (std::size_t i = 0; i < 3000000; ++i)
        garbage += static_cast<char>(i * 7919 % 256);
    garbage += "#url1=http://h/a\r\n#url2=http://h/b\r\n";
    TargetFolders folders;
    folders.current = "/prog";
    EXPECT_FALSE(DecideUpdate(AnsiText(garbage), kOwnVersion, folders).available);
}

} // namespace
} // namespace qx::update
