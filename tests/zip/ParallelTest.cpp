// Packing and checking with several workers: the archive stays one that every reader reads,
// the events stay those of one worker, and faults end the work as they do with one.
#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "text/Error.h"
#include "zip/EntryWriter.h"
#include "zip/WorkerPool.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

#include <thread>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;

// Two input reads make one block of the parallel deflate.
constexpr std::size_t kBlock = zip::EntryWriter::kInputBlock * 2;

class ParallelTest : public testing::Test {
protected:
    void SetUp() override {
        password = ArchivePassword();
        work = dir.path() + "TEMP/";
        platform::CreateDirectories(work);
    }

    void addFile(const std::string& name, const std::string& bytes) {
        test::WriteWholeFile(work + name, bytes);
        files[name] = bytes;
    }

    zip::ZipWriter writerFor(const std::string& archive, int workers) {
        zip::ZipWriter writer;
        writer.setRootFolder(work);
        writer.addMask("*.dbf");
        writer.setPassword(platform::ToAnsi(password));
        writer.setArchivePath(archive);
        writer.setWorkers(workers);
        return writer;
    }

    test::TempDir dir;
    std::string work;
    std::string password;
    std::map<std::string, std::string> files;
};

class ParallelPackTest : public ParallelTest, public testing::WithParamInterface<int> {};

// A table of many blocks, ones that end on a block's or a CRC chunk's end, one shorter than a block,
// an empty one.
TEST_P(ParallelPackTest, OtherReadersTestAndExtractEveryByte) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const int workers = GetParam();
    addFile("velika.dbf", test::TableLikeBytes(11 * kBlock + 777, 41));
    addFile("tocna.dbf", test::TableLikeBytes(3 * kBlock, 42));
    addFile("okrogla.dbf", test::TableLikeBytes(1 << 20, 47)); // ends on a chunk of the CRC pass
    addFile("mala.dbf", test::TableLikeBytes(5000, 43));
    addFile("prazna.dbf", "");
    const std::string archive = dir.path() + "FIRMAP.ZIP";
    ASSERT_EQ(writerFor(archive, workers).pack(), 5);

    for (const auto& tester : {"unzip -t -P " + Quote(password), "7z t -p" + Quote(password)}) {
        const auto result = RunCommand(tester + " " + Quote(archive));
        EXPECT_EQ(result.exitCode, 0) << tester << ": " << result.output;
    }
    const std::map<std::string, std::string> extractors = {
        {"7z", "7z x -y -p" + Quote(password) + " " + Quote(archive) + " -o" + Quote(dir.path() + "7z/")},
        {"python", std::string(QX_PYTHON) +
                       " -c 'import sys,zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2], "
                       "pwd=sys.argv[3].encode())' " +
                       Quote(archive) + " " + Quote(dir.path() + "python/") + " " + Quote(password)},
    };
    for (const auto& [tool, command] : extractors) {
        const auto result = RunCommand(command);
        ASSERT_EQ(result.exitCode, 0) << tool << ": " << result.output;
        for (const auto& [name, bytes] : files)
            EXPECT_TRUE(test::ReadWholeFile(dir.path() + tool + "/" + name) == bytes) << tool << " " << name;
    }

    zip::ZipReader reader;
    reader.setArchivePath(archive);
    reader.setPassword(platform::ToAnsi(password));
    reader.setWorkers(workers);
    reader.readDirectory();
    EXPECT_EQ(reader.testUntilFailure(), 5);

    // Blocks primed with the input before them keep the ratio of one stream.
    const std::string single = dir.path() + "single.zip";
    writerFor(single, 1).pack();
    const double ratio = static_cast<double>(test::ReadWholeFile(archive).size()) / test::ReadWholeFile(single).size();
    EXPECT_NEAR(ratio, 1.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Workers, ParallelPackTest, testing::Values(1, 2, 7));

TEST_F(ParallelTest, ProgressEventsAreThoseOfOneWorker) {
    addFile("popa.dbf", test::TableLikeBytes(5 * kBlock + 100, 44));
    addFile("pers.dbf", test::TableLikeBytes(100, 45));
    auto eventsWith = [&](int workers) {
        std::vector<std::string> events;
        auto writer = writerFor(dir.path() + "w" + std::to_string(workers) + ".zip", workers);
        writer.setEvents({.entryStart = [&](const std::string& name) { events.push_back("start " + name); },
                          .filePercent = [&](int p) { events.push_back("file " + std::to_string(p)); },
                          .totalPercent = [&](int p) { events.push_back("total " + std::to_string(p)); },
                          .outputBlock = {},
                          .complete = [&](int n) { events.push_back("complete " + std::to_string(n)); }});
        writer.pack();
        return events;
    };
    const auto single = eventsWith(1);
    EXPECT_GT(single.size(), 20u);
    EXPECT_EQ(eventsWith(3), single);
}

// A full disk while blocks are still being deflated: the error, no completion, no hang.
TEST_F(ParallelTest, ShortWriteStopsThePackWithBlocksInFlight) {
    addFile("popa.dbf", test::TableLikeBytes(16 * kBlock, 46));
    for (const std::uint64_t room : {std::uint64_t{5000}, std::uint64_t{3 * kBlock / 4}}) {
        auto writer = writerFor(dir.path() + "full.zip", 4);
        bool completed = false;
        writer.setEvents(
            {.entryStart = {}, .filePercent = {}, .totalPercent = {}, .outputBlock = {}, .complete = [&](int) {
                 completed = true;
             }});
        writer.setDeviceFactory([room](const std::string&) { return std::make_unique<test::FullDevice>(room); });
        try {
            writer.pack();
            ADD_FAILURE() << "no error with room for " << room;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Not enough room to write archive");
        }
        EXPECT_FALSE(completed);
    }
}

enum class Damage { None, Crc, Stream };

struct CheckCase {
    const char* label;
    std::vector<Damage> damage; // per entry, in archive order
    int firstFailed;            // -1: the decoder's error
};

void PrintTo(const CheckCase& c, std::ostream* out) {
    *out << c.label;
}

class SideBySideCheckTest : public ParallelTest, public testing::WithParamInterface<std::tuple<CheckCase, int>> {};

// Four plain entries (made by Info-ZIP, so a stream can be broken without the cipher in the way),
// damaged as the case says, tested with one worker and with three.
TEST_P(SideBySideCheckTest, StopsAtTheFirstFailureInEntryOrder) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const auto& [check, workers] = GetParam();
    const std::vector<std::string> names = {"a.dbf", "b.dbf", "c.dbf", "d.dbf"};
    for (std::size_t i = 0; i < names.size(); ++i)
        addFile(names[i], test::TableLikeBytes(60000 + 20000 * i, static_cast<std::uint32_t>(50 + i)));
    const std::string archive = dir.path() + "plain.zip";
    ASSERT_EQ(RunCommand("cd " + Quote(work) + " && zip -q " + Quote(archive) + " a.dbf b.dbf c.dbf d.dbf").exitCode,
              0);

    zip::ZipReader reader;
    reader.setArchivePath(archive);
    reader.readDirectory();
    std::string data = test::ReadWholeFile(archive);
    const auto* end = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 22);
    std::size_t record = end[16] | end[17] << 8 | end[18] << 16 | end[19] << 24;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& entry = reader.entry(static_cast<int>(i));
        if (check.damage[i] == Damage::Crc)
            data[record + 16] = static_cast<char>(data[record + 16] ^ 0x5A);
        if (check.damage[i] == Damage::Stream) { // block type 3 is invalid
            const auto* local = reinterpret_cast<const unsigned char*>(data.data() + entry.localHeaderOffset);
            data[entry.localHeaderOffset + 30 + (local[26] | local[27] << 8) + (local[28] | local[29] << 8)] =
                static_cast<char>(0xFF);
        }
        const auto* r = reinterpret_cast<const unsigned char*>(data.data() + record);
        record += 46 + (r[28] | r[29] << 8) + (r[30] | r[31] << 8) + (r[32] | r[33] << 8);
    }
    test::WriteWholeFile(archive, data);

    int started = 0;
    int lastTotal = 0;
    reader.setEvents({.entryStart = [&](const std::string&) { ++started; },
                      .filePercent = {},
                      .totalPercent = [&](int p) { lastTotal = p; }});
    reader.setWorkers(workers);
    reader.setArchivePath(archive);
    reader.readDirectory();
    if (check.firstFailed < 0) {
        try {
            reader.testUntilFailure();
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "error");
        }
        return;
    }
    EXPECT_EQ(reader.testUntilFailure(), check.firstFailed);
    const int count = static_cast<int>(names.size());
    EXPECT_EQ(started, std::min(check.firstFailed + 1, count));
    for (int i = 0; i < count; ++i) {
        const auto expected = i < check.firstFailed    ? zip::EntryTestState::Passed
                              : i == check.firstFailed ? zip::EntryTestState::Failed
                                                       : zip::EntryTestState::Untested;
        EXPECT_EQ(reader.entry(i).state, expected) << "entry " << i;
    }
    if (check.firstFailed == count) {
        EXPECT_EQ(lastTotal, 100);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SideBySideCheckTest,
    testing::Combine(
        testing::Values(
            CheckCase{"Sound", {Damage::None, Damage::None, Damage::None, Damage::None}, 4},
            CheckCase{"SecondCrc", {Damage::None, Damage::Crc, Damage::None, Damage::None}, 1},
            CheckCase{"CrcBeforeBrokenStream", {Damage::None, Damage::Crc, Damage::None, Damage::Stream}, 1},
            CheckCase{"BrokenStreamAfterSoundOnes", {Damage::None, Damage::None, Damage::Stream, Damage::Crc}, -1},
            CheckCase{"LastCrc", {Damage::None, Damage::None, Damage::None, Damage::Crc}, 3}),
        testing::Values(1, 3)));

struct WorkerCountCase {
    const char* value;
    int expected; // 0: the cores the system reports
};

TEST(ZipWorkersTest, ForcedCountOrTheCores) {
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const WorkerCountCase cases[] = {{"3", 3}, {"1", 1}, {"0", 0}, {"-2", 0}, {"vsi", 0}, {"4x", 0}, {"1000", 64}};
    for (const auto& c : cases) {
        test::SetEnvironment("QX_ZIP_WORKERS", c.value);
        EXPECT_EQ(zip::ZipWorkers(), c.expected == 0 ? cores : c.expected) << c.value;
    }
    test::UnsetEnvironment("QX_ZIP_WORKERS");
    EXPECT_EQ(zip::ZipWorkers(), cores);
}

} // namespace
} // namespace qx
