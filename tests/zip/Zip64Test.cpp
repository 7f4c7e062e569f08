// Slow: an input over 4 GiB (sparse on disk, zeros with table data at both ends) packed on
// several workers, then tested by unzip, 7z and our own reader. Run with: ctest -L slow
#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "run/ArchivePassword.h"
#include "tests/support/TempDir.h"
#include "zip/WorkerPool.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;

TEST(Zip64Test, LargeInputIsReadByOtherReaders) {
    test::TempDir dir;
    const std::string work = dir.path() + "TEMP/";
    std::filesystem::create_directories(work);
    const std::uint64_t size = (4ull << 30) + 123457;
    {
        std::ofstream big(work + "velika.dbf", std::ios::binary);
        const std::string head = test::TableLikeBytes(1 << 20, 31);
        big.write(head.data(), static_cast<std::streamsize>(head.size()));
        big.seekp(static_cast<std::streamoff>(size - head.size()));
        big.write(head.data(), static_cast<std::streamsize>(head.size()));
    }
    test::WriteWholeFile(work + "mala.dbf", test::TableLikeBytes(5000, 32)); // its offset may pass 4 GiB

    const std::string password = ArchivePassword();
    zip::ZipWriter writer;
    writer.setRootFolder(work);
    writer.addMask("*.dbf");
    writer.setPassword(platform::ToAnsi(password));
    writer.setArchivePath(dir.path() + "VELIKA.ZIP");
    const int workers = std::max(2, zip::ZipWorkers());
    writer.setWorkers(workers);
    ASSERT_EQ(writer.pack(), 2);

    const auto unzip = RunCommand("unzip -t -P " + Quote(password) + " " + Quote(writer.archivePath()));
    EXPECT_EQ(unzip.exitCode, 0) << unzip.output;
    const auto sevenZip = RunCommand("7z t -p" + Quote(password) + " " + Quote(writer.archivePath()));
    EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output;

    zip::ZipReader reader;
    reader.setArchivePath(writer.archivePath());
    reader.setPassword(platform::ToAnsi(password));
    reader.setWorkers(workers);
    reader.readDirectory();
    ASSERT_EQ(reader.entryCount(), 2);
    EXPECT_EQ(reader.testUntilFailure(), 2);
    for (int i = 0; i < 2; ++i) {
        if (reader.entry(i).storedName == "velika.dbf") {
            EXPECT_EQ(reader.entry(i).uncompressedSize, size);
        }
    }
}

} // namespace
} // namespace qx
