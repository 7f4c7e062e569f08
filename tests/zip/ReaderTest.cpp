#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;
using test::TempDir;

enum class Outcome { Passed, Failed, DecoderError };

class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        password = ArchivePassword();
        src = dir.path() + "src/";
        platform::CreateDirectories(src);
        test::WriteWholeFile(src + "popa.dbf", test::TableLikeBytes(150000, 11));
        test::WriteWholeFile(src + "pers.dbf", test::TableLikeBytes(40000, 12));
        test::WriteWholeFile(src + "mala.dbf", "12345");
    }

    // Our own archive of the three files, with repeatable random bytes.
    std::string ourArchive() {
        zip::ZipWriter writer;
        writer.setRootFolder(src);
        writer.addMask("*.dbf");
        writer.setPassword(platform::ToAnsi(password));
        writer.setRandomSource([n = 0]() mutable { return static_cast<std::uint8_t>(n++); });
        writer.setArchivePath(dir.path() + "ours.zip");
        writer.pack();
        return dir.path() + "ours.zip";
    }

    std::vector<Outcome> testAll(const std::string& archive, const std::string& withPassword) {
        reader.setArchivePath(archive);
        reader.setPassword(platform::ToAnsi(withPassword));
        reader.readDirectory();
        std::vector<Outcome> outcomes;
        for (int i = 0; i < reader.entryCount(); ++i) {
            try {
                outcomes.push_back(reader.testEntry(i) ? Outcome::Passed : Outcome::Failed);
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), "error");
                outcomes.push_back(Outcome::DecoderError);
            }
        }
        return outcomes;
    }

    void patch(const std::string& path, std::size_t offset, const std::string& bytes) {
        std::string data = test::ReadWholeFile(path);
        data.replace(offset, bytes.size(), bytes);
        test::WriteWholeFile(path, data);
    }

    TempDir dir;
    std::string src;
    std::string password;
    zip::ZipReader reader;
};

const std::vector<Outcome> kAllPassed{Outcome::Passed, Outcome::Passed, Outcome::Passed};

TEST_F(ReaderTest, PassesArchivesOfOtherWriters) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::map<std::string, std::string> writers = {
        {"zip", "cd " + Quote(src) + " && zip -q -P " + Quote(password) + " " + Quote(dir.path() + "zip.zip") +
                    " popa.dbf pers.dbf mala.dbf"},
        {"7z", "cd " + Quote(src) + " && 7z a -tzip -mem=ZipCrypto -p" + Quote(password) + " " +
                   Quote(dir.path() + "7z.zip") + " popa.dbf pers.dbf mala.dbf"},
    };
    for (const auto& [tool, command] : writers) {
        const auto made = RunCommand(command);
        ASSERT_EQ(made.exitCode, 0) << made.output;
        EXPECT_EQ(testAll(dir.path() + tool + ".zip", password), kAllPassed) << tool;
    }
}

TEST_F(ReaderTest, PassesOurOwnArchiveAndReportsProgress) {
    std::vector<int> total;
    std::vector<std::string> started;
    reader.setEvents({.entryStart = [&](const std::string& name) { started.push_back(name); },
                      .filePercent = {},
                      .totalPercent = [&](int p) { total.push_back(p); }});
    EXPECT_EQ(testAll(ourArchive(), password), kAllPassed);
    EXPECT_EQ(started.size(), 3u);
    ASSERT_FALSE(total.empty());
    EXPECT_EQ(total.back(), 100);
    EXPECT_TRUE(std::is_sorted(total.begin(), total.end()));
}

TEST_F(ReaderTest, WrongPasswordFails) {
    const auto outcomes = testAll(ourArchive(), "Napacno geslo 123");
    for (const auto outcome : outcomes)
        EXPECT_NE(outcome, Outcome::Passed);
    EXPECT_EQ(outcomes[0], Outcome::Failed);
}

TEST_F(ReaderTest, FlippedDataByteIsNotPassed) {
    const std::string archive = ourArchive();
    reader.setArchivePath(archive);
    reader.readDirectory();
    // A byte in the middle of the largest entry's data; the directory order is the file system's,
    // so the first entry may be a small one whose middle lies in its 12-byte encryption header.
    int largest = 0;
    for (int i = 1; i < reader.entryCount(); ++i)
        if (reader.entry(i).compressedSize > reader.entry(largest).compressedSize)
            largest = i;
    const auto& entry = reader.entry(largest);
    const std::size_t at = static_cast<std::size_t>(entry.localHeaderOffset + 30 + entry.storedName.size() + 12 +
                                                    (entry.compressedSize - 12) / 2);
    std::string data = test::ReadWholeFile(archive);
    patch(archive, at, std::string(1, static_cast<char>(data[at] ^ 0x10)));
    EXPECT_NE(testAll(archive, password)[static_cast<std::size_t>(largest)], Outcome::Passed);
}

TEST_F(ReaderTest, FailedEntryIsNotTestedAgain) {
    const std::string archive = ourArchive();
    reader.setArchivePath(archive);
    reader.readDirectory();
    const std::uint64_t cdOffset = [&] {
        const std::string data = test::ReadWholeFile(archive);
        const auto* end = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 22);
        return static_cast<std::uint64_t>(end[16] | end[17] << 8 | end[18] << 16 | end[19] << 24);
    }();
    // Low byte of the first central CRC: the check byte (high byte) still matches.
    std::string data = test::ReadWholeFile(archive);
    patch(archive, cdOffset + 16, std::string(1, static_cast<char>(data[cdOffset + 16] ^ 0xFF)));

    int starts = 0;
    reader.setEvents({.entryStart = [&](const std::string&) { ++starts; }, .filePercent = {}, .totalPercent = {}});
    reader.setArchivePath(archive);
    reader.setPassword(platform::ToAnsi(password));
    reader.readDirectory();
    EXPECT_FALSE(reader.testEntry(0));
    EXPECT_FALSE(reader.testEntry(0));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(reader.entry(0).state, zip::EntryTestState::Failed);
    EXPECT_TRUE(reader.testEntry(1));
    EXPECT_TRUE(reader.testEntry(1));
    EXPECT_EQ(starts, 2);
}

TEST_F(ReaderTest, TruncatedArchiveHasNoDirectory) {
    const std::string archive = ourArchive();
    const std::string data = test::ReadWholeFile(archive);
    for (const std::size_t keep : {data.size() / 2, data.size() - 1, std::size_t{10}, std::size_t{0}}) {
        test::WriteWholeFile(archive, data.substr(0, keep));
        reader.setArchivePath(archive);
        EXPECT_THROW(reader.readDirectory(), Error) << keep;
        EXPECT_EQ(reader.entryCount(), 0);
    }
}

TEST_F(ReaderTest, MissingArchiveIsAnError) {
    reader.setArchivePath(dir.path() + "none.zip");
    EXPECT_THROW(reader.readDirectory(), Error);
}

// zip writing to a pipe marks the entry with a data descriptor: the check byte is the time's high byte.
TEST_F(ReaderTest, DataDescriptorEntryUsesTheTimeForItsCheckByte) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::string archive = dir.path() + "stream.zip";
    const auto made =
        RunCommand("zip -q -P " + Quote(password) + " - - < " + Quote(src + "popa.dbf") + " > " + Quote(archive));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    reader.setArchivePath(archive);
    reader.readDirectory();
    ASSERT_EQ(reader.entryCount(), 1);
    ASSERT_TRUE(reader.entry(0).flags & 0x0008);
    EXPECT_EQ(testAll(archive, password), std::vector<Outcome>{Outcome::Passed});
    // zip's random header bytes leave a 1 in 256 chance that a wrong password meets the check byte;
    // the data then decodes to nothing sensible.
    EXPECT_NE(testAll(archive, "wrong"), std::vector<Outcome>{Outcome::Passed});
}

// A stored CRC of 0 is not compared: with the check byte taken from the time, the entry passes.
TEST_F(ReaderTest, StoredCrcOfZeroIsNotCompared) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::string archive = dir.path() + "stream.zip";
    ASSERT_EQ(RunCommand("zip -q -P " + Quote(password) + " - - < " + Quote(src + "pers.dbf") + " > " + Quote(archive))
                  .exitCode,
              0);
    const std::string data = test::ReadWholeFile(archive);
    const auto* end = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 22);
    const std::size_t cdOffset = end[16] | end[17] << 8 | end[18] << 16 | end[19] << 24;
    patch(archive, cdOffset + 16, std::string(4, '\0'));
    EXPECT_EQ(testAll(archive, password), std::vector<Outcome>{Outcome::Passed});
}

} // namespace
} // namespace qx
