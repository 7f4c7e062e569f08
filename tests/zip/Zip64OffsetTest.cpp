// ZIP64 offsets without writing gigabytes: the writer's device starts past 4 GiB, so the
// local header offset and the central directory need ZIP64 fields and end records. The bytes
// land in a sparse file (a hole, then the archive), which unzip and our reader read back.
#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TempDir.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;

constexpr std::uint64_t kHole = (4ull << 30) + 1000;

// Writes into a file after a hole of kHole bytes, reporting positions as the archive's own.
class DeviceAfterHole : public zip::OutputDevice {
public:
    explicit DeviceAfterHole(const std::string& path) : file_(path) { file_.seek(kHole); }
    std::size_t write(const void* data, std::size_t size) override { return file_.write(data, size); }
    bool seek(std::uint64_t position) override { return file_.seek(position); }
    std::uint64_t position() const override { return file_.position(); }
    bool close() override { return file_.close(); }

private:
    zip::FileOutputDevice file_;
};

TEST(Zip64OffsetTest, OffsetsPastFourGibibytes) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    test::TempDir dir;
    const std::string work = dir.path() + "TEMP/";
    platform::CreateDirectories(work);
    const std::string popa = test::TableLikeBytes(80000, 41);
    test::WriteWholeFile(work + "popa.dbf", popa);
    test::WriteWholeFile(work + "pers.dbf", test::TableLikeBytes(900, 42));

    const std::string password = ArchivePassword();
    zip::ZipWriter writer;
    writer.setRootFolder(work);
    writer.addMask("*.dbf");
    writer.setPassword(platform::ToAnsi(password));
    writer.setArchivePath(dir.path() + "ZIP64.ZIP");
    writer.setDeviceFactory([](const std::string& path) { return std::make_unique<DeviceAfterHole>(path); });
    ASSERT_EQ(writer.pack(), 2);

    const std::string tail = [&] {
        std::ifstream in(writer.archivePath(), std::ios::binary);
        in.seekg(-static_cast<std::streamoff>(22 + 20 + 56), std::ios::end);
        std::string bytes(98, '\0');
        in.read(bytes.data(), 98);
        return bytes;
    }();
    EXPECT_EQ(tail.substr(0, 4), std::string("PK\x06\x06", 4));  // ZIP64 end record
    EXPECT_EQ(tail.substr(56, 4), std::string("PK\x06\x07", 4)); // its locator
    EXPECT_EQ(tail.substr(76 + 16, 4), std::string(4, '\xFF'));  // central directory offset in ZIP64

    const auto unzip = RunCommand("unzip -t -P " + Quote(password) + " " + Quote(writer.archivePath()));
    EXPECT_EQ(unzip.exitCode, 0) << unzip.output;
    const auto extracted = RunCommand("unzip -p -P " + Quote(password) + " " + Quote(writer.archivePath()) +
                                      " popa.dbf > " + Quote(dir.path() + "popa.out"));
    EXPECT_EQ(extracted.exitCode, 0) << extracted.output;
    EXPECT_TRUE(test::ReadWholeFile(dir.path() + "popa.out") == popa);
    // 7z will not open an archive that does not begin with a local header; the slow test covers it.

    zip::ZipReader reader;
    reader.setArchivePath(writer.archivePath());
    reader.setPassword(platform::ToAnsi(password));
    reader.readDirectory();
    ASSERT_EQ(reader.entryCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(reader.entry(i).localHeaderOffset, kHole);
        EXPECT_TRUE(reader.testEntry(i));
    }
}

} // namespace
} // namespace qx
