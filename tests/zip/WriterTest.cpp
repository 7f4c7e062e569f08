#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "text/Error.h"
#include "text/TextHelpers.h"
#include "zip/EntryWriter.h"
#include "zip/ZipFormat.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <ctime>

namespace qx {
namespace {

using test::DumpZipFields;
using test::Quote;
using test::RunCommand;
using test::TempDir;

constexpr std::int64_t kWritten = 1700000000; // 14.11.2023 22:13:20 UTC

std::uint32_t Crc(const std::string& bytes) {
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes)
        out += std::string{digits[c >> 4], digits[c & 15]};
    return out;
}

// A work folder and an output folder, local time fixed to UTC so DOS times repeat.
class WriterTest : public testing::Test {
protected:
    void SetUp() override {
        test::SetEnvironment("TZ", "UTC");
        tzset();
        work = dir.path() + "TEMP/";
        out = dir.path() + "out/";
        platform::CreateDirectories(work);
        platform::CreateDirectories(out);
        password = ArchivePassword();
        writer.setRootFolder(work);
        writer.setTempFolder(work);
        writer.setArchivePath(out + "FIRMAP.ZIP");
        writer.addMask("*.dbf");
        writer.setPassword(platform::ToAnsi(password));
    }

    void addFile(const std::string& name, const std::string& bytes, std::int64_t written = kWritten) {
        test::WriteWholeFile(work + name, bytes);
        platform::SetLastWriteTime(work + name, written);
    }

    void fixRandom() {
        writer.setRandomSource([n = 0]() mutable { return static_cast<std::uint8_t>(n++ * 37 + 11); });
    }

    TempDir dir;
    std::string work;
    std::string out;
    std::string password;
    zip::ZipWriter writer;
};

TEST(ArchivePasswordTest, Is17AsciiBytes) {
    const std::string password = ArchivePassword();
    ASSERT_EQ(password.size(), 17u);
    for (const char c : password)
        EXPECT_TRUE(c > 0x20 && c < 0x7F);
}

// Under Wine the Linux readers cannot be started from the test: with QX_KEEP_ARCHIVES set,
// the archive and its password are left in that folder, and scripts/test-windows tests them.
TEST_F(WriterTest, ArchiveIsLeftForReadersOutsideTheTest) {
    const std::string keep = platform::GetEnvironmentText("QX_KEEP_ARCHIVES");
    if (keep.empty())
        GTEST_SKIP() << "QX_KEEP_ARCHIVES is not set";
    addFile("popa.dbf", test::TableLikeBytes(300000, 1));
    addFile("pers.dbf", test::TableLikeBytes(5000, 2));
    addFile("prazna.dbf", "");
    ASSERT_EQ(writer.pack(), 3);
    const std::string target = platform::AppendBackslash(keep) + "FIRMAP";
    ASSERT_TRUE(platform::CopyFileReplacing(writer.archivePath(), target + ".zip"));
    test::WriteWholeFile(target + ".password", password);
}

TEST_F(WriterTest, OtherReadersTestAndExtractEveryByte) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::map<std::string, std::string> files = {
        {"popa.dbf", test::TableLikeBytes(300000, 1)}, {"pers.dbf", test::TableLikeBytes(5000, 2)}, {"prazna.dbf", ""}};
    for (const auto& [name, bytes] : files)
        addFile(name, bytes);
    ASSERT_EQ(writer.pack(), 3);
    const std::string archive = writer.archivePath();

    const auto unzipTest = RunCommand("unzip -t -P " + Quote(password) + " " + Quote(archive));
    EXPECT_EQ(unzipTest.exitCode, 0) << unzipTest.output;
    const auto sevenTest = RunCommand("7z t -p" + Quote(password) + " " + Quote(archive));
    EXPECT_EQ(sevenTest.exitCode, 0) << sevenTest.output;

    const std::map<std::string, std::string> extractors = {
        {"unzip", "unzip -q -P " + Quote(password) + " " + Quote(archive) + " -d "},
        {"7z", "7z x -y -p" + Quote(password) + " " + Quote(archive) + " -o"},
        {"python", std::string(QX_PYTHON) +
                       " -c 'import sys,zipfile; zipfile.ZipFile(sys.argv[1]).extractall("
                       "sys.argv[2], pwd=sys.argv[3].encode())' " +
                       Quote(archive) + " "},
    };
    for (const auto& [tool, command] : extractors) {
        const std::string target = dir.path() + tool + "/";
        const std::string line =
            tool == "python" ? command + Quote(target) + " " + Quote(password) : command + Quote(target);
        const auto result = RunCommand(line);
        ASSERT_EQ(result.exitCode, 0) << tool << ": " << result.output;
        for (const auto& [name, bytes] : files)
            EXPECT_TRUE(test::ReadWholeFile(target + name) == bytes) << tool << " " << name;
    }
}

struct FieldCase {
    const char* label;
    std::string name;
    bool readOnly;
    std::string storedHex; // the name's bytes as stored
    std::string flags;
    std::string host;
    std::string attributes;
};

// Test listings name a case by its label instead of dumping its bytes.
void PrintTo(const FieldCase& c, std::ostream* out) {
    *out << c.label;
}

class WriterFields : public WriterTest, public testing::WithParamInterface<FieldCase> {};

TEST_P(WriterFields, HeadersCarryTheFixedValues) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const FieldCase& c = GetParam();
    const std::string bytes = test::TableLikeBytes(70000, 3);
    addFile(c.name, bytes);
    if (c.readOnly)
        platform::SetReadOnly(work + c.name, true);
    ASSERT_EQ(writer.pack(), 1);

    const auto dump = DumpZipFields(writer.archivePath(), password);
    ASSERT_EQ(dump.size(), 2u);
    const auto& e = dump[0];
    const std::uint32_t crc = Crc(bytes);
    char crcHex[9];
    std::snprintf(crcHex, sizeof crcHex, "%08x", crc);
    char high[3], higher[3];
    std::snprintf(high, sizeof high, "%02x", (crc >> 16) & 0xFF);
    std::snprintf(higher, sizeof higher, "%02x", crc >> 24);

    const std::map<std::string, std::string> expected = {
        {"name", c.storedHex},
        {"made_by", "45"},
        {"host", c.host},
        {"needed", "20"},
        {"flags", c.flags},
        {"method", "8"},
        {"time", std::to_string((22 << 11) | (13 << 5) | 10)},
        {"date", std::to_string(((2023 - 1980) << 9) | (11 << 5) | 14)},
        {"crc", crcHex},
        {"usize", std::to_string(bytes.size())},
        {"extra", "0"},
        {"lextra", "0"},
        {"comment", "0"},
        {"disk", "0"},
        {"int_attr", "0"},
        {"ext_attr", c.attributes},
        {"local_same", "1"},
        {"hdr10", high},
        {"hdr11", higher}};
    for (const auto& [key, value] : expected)
        EXPECT_EQ(e.at(key), value) << key;
    // The compressed size runs from the encryption header to the central directory.
    EXPECT_EQ(e.at("data_end"), dump[1].at("cd_offset"));

    const auto& end = dump[1];
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"disk", "0"}, {"cd_disk", "0"}, {"count_disk", "1"}, {"count", "1"}, {"comment", "0"}})
        EXPECT_EQ(end.at(key), value) << "end " << key;
    EXPECT_EQ(std::stoull(end.at("end_offset")) + 22, std::stoull(end.at("size")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriterFields,
    testing::Values(FieldCase{"PlainFile", "popa.dbf", false, Hex("popa.dbf"), "1", "0", "32"},
                    FieldCase{"ReadOnlyFile", "pers.dbf", true, Hex("pers.dbf"), "1", "0", "33"},
                    // č and ž exist in both code pages: stored in cp852 without the UTF-8 flag.
                    FieldCase{"SlovenianName",
                              "\xC4\x8D"
                              "a\xC5\xBE.dbf",
                              false, "9f61a72e646266", "1", "0", "32"},
                    // Cyrillic has no place in windows-1250: stored as UTF-8 with bit 11 and host 11.
                    FieldCase{"NameOutsideAnsi", "\xD0\xB6.dbf", false, "d0b62e646266", "2049", "11", "32"}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.label); });

TEST_F(WriterTest, EmptyFolderGivesTheBareEndRecord) {
    ASSERT_EQ(writer.pack(), 0);
    const std::string bytes = test::ReadWholeFile(writer.archivePath());
    EXPECT_EQ(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

TEST_F(WriterTest, TakesOnlyVisibleTablesOfTheRootFolder) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    addFile("popa.dbf", "a");
    addFile("POPA2.DBF", "b");
    addFile("notes.txt", "c");
    addFile(".skrita.dbf", "d");
    platform::CreateDirectories(work + "mapa.dbf");
    addFile("mapa.dbf/vstr.dbf", "e");
    writer.setArchivePath(work + "arhiv.dbf"); // the archive in its own root is never packed
    ASSERT_EQ(writer.pack(), 2);

    const auto dump = DumpZipFields(work + "arhiv.dbf", password);
    std::set<std::string> names;
    for (std::size_t i = 0; i + 1 < dump.size(); ++i)
        names.insert(dump[i].at("name"));
    EXPECT_EQ(names, (std::set<std::string>{Hex("popa.dbf"), Hex("POPA2.DBF")}));
    EXPECT_TRUE(writer.masks().empty()); // the pack empties its mask list
}

TEST_F(WriterTest, ReportsProgressRoundedAndCapped) {
    addFile("popa.dbf", test::TableLikeBytes(200000, 4));
    addFile("pers.dbf", test::TableLikeBytes(100, 5));
    std::vector<std::string> events;
    writer.setEvents({.entryStart = [&](const std::string& name) { events.push_back("start " + name); },
                      .filePercent = [&](int p) { events.push_back("file " + std::to_string(p)); },
                      .totalPercent = [&](int p) { events.push_back("total " + std::to_string(p)); },
                      .outputBlock = {},
                      .complete = [&](int n) { events.push_back("complete " + std::to_string(n)); }});
    writer.pack();

    // Folder order is the file system's: find each file's events wherever they come.
    auto eventsOf = [&](const std::string& name) {
        std::vector<std::string> run;
        bool inside = false;
        for (const auto& e : events) {
            if (e.rfind("start ", 0) == 0)
                inside = e == "start " + name;
            else if (inside && e.rfind("file ", 0) == 0)
                run.push_back(e);
        }
        return run;
    };
    // 65,535-byte blocks of 200,000 bytes: 32.8 %, 65.5 %, 98.3 %, 100 %.
    EXPECT_EQ(eventsOf("popa.dbf"), (std::vector<std::string>{"file 33", "file 66", "file 98", "file 100"}));
    EXPECT_EQ(eventsOf("pers.dbf"), (std::vector<std::string>{"file 100"}));
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], "total 100");
    EXPECT_EQ(events.back(), "complete 2");
}

TEST_F(WriterTest, ShortWriteStopsThePack) {
    addFile("popa.dbf", test::TableLikeBytes(400000, 6));
    // In the first local header, in the data, in the central directory.
    for (const std::uint64_t room : {10ull, 5000ull, 0ull}) {
        std::uint64_t allowed = room;
        if (room == 0) { // room for everything but the end of the archive
            zip::ZipWriter probe;
            probe.setRootFolder(work);
            probe.addMask("*.dbf");
            probe.setArchivePath(out + "probe.zip");
            probe.pack();
            allowed = test::ReadWholeFile(out + "probe.zip").size() - 30;
        }
        bool completed = false;
        zip::ZipWriterEvents events;
        events.complete = [&](int) { completed = true; };
        writer.setEvents(events);
        writer.clearMasks();
        writer.addMask("*.dbf");
        writer.setDeviceFactory([allowed](const std::string&) { return std::make_unique<test::FullDevice>(allowed); });
        try {
            writer.pack();
            ADD_FAILURE() << "no error with room for " << allowed;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Not enough room to write archive");
        }
        EXPECT_FALSE(completed);
    }
}

TEST_F(WriterTest, OldArchiveThatStaysIsReplacedThroughATemporaryFile) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    test::WriteWholeFile(writer.archivePath(), "old archive that was not deleted");
    addFile("popa.dbf", test::TableLikeBytes(1000, 7));
    ASSERT_EQ(writer.pack(), 1);
    const auto result = RunCommand("unzip -t -P " + Quote(password) + " " + Quote(writer.archivePath()));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(platform::ListDirectory(work, "*.tmp").size(), 0u);
}

TEST_F(WriterTest, CannotCreateTheArchive) {
    writer.setArchivePath(dir.path() + "missing/FIRMAP.ZIP");
    addFile("popa.dbf", "x");
    try {
        writer.pack();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("missing/FIRMAP.ZIP"), std::string::npos) << e.what();
    }
}

// With the random source and the clock fixed, the archive repeats byte for byte.
TEST_F(WriterTest, GoldenArchive) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    fixRandom();
    writer.setWorkers(1);
    addFile("popa.dbf", test::TableLikeBytes(100000, 8));
    addFile("pers.dbf", test::TableLikeBytes(3000, 9), 1262304000); // 1.1.2010 00:00:00
    // A fixed entry order: one mask per file.
    writer.clearMasks();
    writer.addMask("popa.dbf");
    writer.addMask("pers.dbf");
    ASSERT_EQ(writer.pack(), 2);
    const std::string golden = std::string(QX_SOURCE_DIR) + "/tests/zip/data/golden.zip";
    const std::string written = test::ReadWholeFile(writer.archivePath());
    if (std::getenv("QX_UPDATE_GOLDEN"))
        test::WriteWholeFile(golden, written);
    EXPECT_TRUE(written == test::ReadWholeFile(golden)) << "rewrite with QX_UPDATE_GOLDEN=1 after a deliberate change";

    // The ten random bytes of each header come from the source, in order.
    const auto dump = DumpZipFields(writer.archivePath(), password);
    std::string expected;
    for (int n = 0; n < 20; ++n)
        expected += static_cast<char>(n * 37 + 11);
    EXPECT_EQ(dump[0].at("hdr_random") + dump[1].at("hdr_random"), Hex(expected));
}

} // namespace
} // namespace qx

namespace qx {
namespace {

TEST(PercentTest, RoundsToNearestCapsAndGuardsTheDivisor) {
    const std::vector<std::tuple<std::uint64_t, std::uint64_t, int>> cases = {
        {0, 0, 0},
        {7, 0, 0},
        {0, 10, 0},
        {1, 3, 33},
        {2, 3, 67},
        {1, 200, 1},
        {1, 201, 0},
        {199, 200, 100},
        {5, 4, 100},
        {65535, 200000, 33},
        {1, 2, 50},
        {3, 200, 2},
        {1ull << 40, 1ull << 41, 50},
        {~0ull, ~0ull, 100},
        {~0ull, 1, 100},
    };
    for (const auto& [done, whole, expected] : cases)
        EXPECT_EQ(zip::Percent(done, whole), expected) << done << " of " << whole;
}

// The stored time is the last write in local time, not UTC.
TEST(DosTimeTest, UsesLocalTime) {
    // Windows' C runtime reads the rule without the change dates (its own are right for these days).
    test::SetEnvironment("TZ", platform::kHasDriveLetters ? "CET-1CEST" : "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    const std::vector<std::tuple<std::int64_t, std::uint16_t, std::uint16_t>> cases = {
        // 14.11.2023 22:13:20 UTC is 23:13:20 in winter time.
        {1700000000, (23 << 11) | (13 << 5) | 10, ((2023 - 1980) << 9) | (11 << 5) | 14},
        // 1.7.2024 12:00:01 UTC is 14:00:00 in summer time (two-second steps).
        {1719835201, (14 << 11) | (0 << 5) | 0, ((2024 - 1980) << 9) | (7 << 5) | 1},
        // Before 1980 MS-DOS form has no place: the earliest day it holds.
        {0, 0, (1 << 5) | 1},
    };
    for (const auto& [unix, time, date] : cases) {
        zip::EntryFields entry;
        zip::SetDosTime(unix, entry);
        EXPECT_EQ(entry.dosTime, time) << unix;
        EXPECT_EQ(entry.dosDate, date) << unix;
    }
    test::SetEnvironment("TZ", "UTC");
    tzset();
}

} // namespace
} // namespace qx
