#include "ArchiveTestSupport.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"
#include "zip/ArchiveStreams.h"
#include "zip/CentralDirectory.h"
#include "zip/ZipFormat.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;

// Where the stack of sources gave up on an entry.
enum class Fault {
    None,       // every byte came up and matched the stored CRC-32
    NotFound,   // the entry source found no local header or no data behind it
    Header,     // the decrypting source's header was cut short or did not end in the check byte
    Data,       // the data failed before its end: cut short or a short read
    Crc,        // the data came up whole but with another CRC-32
    Undecodable // the inflating source's "error"
};

enum class Maker { Ours, InfoZip, InfoZipStored, Python, PythonStored };

struct Archive {
    std::string bytes;
    zip::DirectoryEntry entry;
    std::optional<std::size_t> readable; // reads stop here though the device's size says more
};

// A damaged archive: its bytes, and the entry as the central directory gave it.
using Damage = std::function<void(Archive&)>;

struct SourceCase {
    const char* label;
    Maker maker;
    Damage damage;
    Fault expected;
    const char* password = nullptr; // the writer's password when null
};

void PrintTo(const SourceCase& c, std::ostream* out) {
    *out << c.label;
}

std::size_t DataStart(const Archive& a) {
    const auto* local = reinterpret_cast<const unsigned char*>(a.bytes.data() + a.entry.localHeaderOffset);
    return static_cast<std::size_t>(a.entry.localHeaderOffset) + zip::kLocalHeaderSize + zip::Get16(local + 26) +
           zip::Get16(local + 28);
}

// The archive's bytes stop halfway through the entry's data; the directory was read before.
void CutInHalf(Archive& a) {
    a.bytes.resize(DataStart(a) + static_cast<std::size_t>(a.entry.compressedSize / 2));
}

// Reports the whole archive's size but reads only up to a point, as a file shrinking under the reader.
class ShrunkDevice : public zip::InputDevice {
public:
    ShrunkDevice(const std::string& bytes, std::size_t readable) : bytes_(bytes), readable_(readable) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override {
        if (offset >= readable_)
            return 0;
        const std::size_t got = std::min<std::size_t>(size, readable_ - static_cast<std::size_t>(offset));
        std::memcpy(data, bytes_.data() + offset, got);
        return got;
    }

private:
    const std::string& bytes_;
    std::size_t readable_;
};

// The APPNOTE's check byte: the time's high byte with a data descriptor, else the CRC-32's.
std::uint8_t CheckByte(const zip::DirectoryEntry& entry) {
    return static_cast<std::uint8_t>((entry.flags & zip::kFlagDataDescriptor) ? entry.dosTime >> 8 : entry.crc >> 24);
}

// Tells the CRC check's objection at the end apart from a fault of the data below it.
class EndWatch : public zip::ByteSource {
public:
    explicit EndWatch(zip::ByteSource& below) : below_(below) {}
    std::size_t read(unsigned char* data, std::size_t size) override {
        const std::size_t got = below_.read(data, size);
        ended = got == 0;
        return got;
    }
    bool ended = false;

private:
    zip::ByteSource& below_;
};

class EntrySourceTest : public testing::TestWithParam<SourceCase> {
protected:
    void SetUp() override {
        password = ArchivePassword();
        src = dir.path() + "src/";
        platform::CreateDirectories(src);
        contents = test::TableLikeBytes(90000, 21);
        test::WriteWholeFile(src + "popa.dbf", contents);
    }

    std::string make(Maker maker) {
        const std::string archive = dir.path() + "made.zip";
        if (maker == Maker::Ours) {
            zip::ZipWriter writer;
            writer.setRootFolder(src);
            writer.addMask("*.dbf");
            writer.setPassword(platform::ToAnsi(password));
            writer.setRandomSource([n = 0]() mutable { return static_cast<std::uint8_t>(n++); });
            writer.setArchivePath(archive);
            writer.pack();
            return archive;
        }
        std::string command;
        switch (maker) {
        case Maker::InfoZip:
        case Maker::InfoZipStored:
            command = "cd " + Quote(src) + " && zip -q " + (maker == Maker::InfoZipStored ? "-0 " : "") + "-P " +
                      Quote(password) + " " + Quote(archive) + " popa.dbf";
            break;
        default:
            command = std::string(QX_PYTHON) + " -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1], \"w\", " +
                      (maker == Maker::PythonStored ? "zipfile.ZIP_STORED" : "zipfile.ZIP_DEFLATED") +
                      "); z.write(sys.argv[2], \"popa.dbf\"); z.close()' " + Quote(archive) + " " +
                      Quote(src + "popa.dbf");
        }
        const auto made = RunCommand(command);
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return archive;
    }

    // The reader's stack over the entry; what came up lands in `decoded`.
    Fault run(zip::InputDevice& device, const zip::DirectoryEntry& entry, const std::string& withPassword) {
        std::optional<zip::ArchiveEntrySource> stored;
        try {
            stored.emplace(device, entry.localHeaderOffset, entry.compressedSize);
        } catch (const zip::DamagedEntry&) {
            return Fault::NotFound;
        }
        std::optional<zip::DecryptingSource> decrypted;
        if (entry.flags & zip::kFlagEncrypted) {
            try {
                decrypted.emplace(*stored, platform::ToAnsi(withPassword).bytes, CheckByte(entry));
            } catch (const zip::DamagedEntry&) {
                return Fault::Header;
            }
        }
        zip::ByteSource& plain = decrypted ? static_cast<zip::ByteSource&>(*decrypted) : *stored;
        std::optional<zip::InflatingSource> inflated;
        if (entry.method == zip::kMethodDeflate)
            inflated.emplace(plain);
        EndWatch watch(inflated ? static_cast<zip::ByteSource&>(*inflated) : plain);
        zip::CrcCheckingSource checked(watch, entry.crc);
        std::vector<unsigned char> block(32768);
        try {
            while (const std::size_t got = checked.read(block.data(), block.size()))
                decoded.append(reinterpret_cast<const char*>(block.data()), got);
        } catch (const zip::DamagedEntry&) {
            return watch.ended ? Fault::Crc : Fault::Data;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "error");
            return Fault::Undecodable;
        }
        return Fault::None;
    }

    test::TempDir dir;
    std::string src;
    std::string password;
    std::string contents;
    std::string decoded;
};

TEST_P(EntrySourceTest, FindsTheFaultOfItsLayer) {
    const SourceCase& c = GetParam();
    if (c.maker != Maker::Ours) {
        QX_SKIP_WITHOUT_LINUX_PEERS();
    }
    Archive archive;
    archive.bytes = test::ReadWholeFile(make(c.maker));
    {
        zip::MemoryInputDevice whole(reinterpret_cast<const unsigned char*>(archive.bytes.data()),
                                     archive.bytes.size());
        const auto entries = zip::ReadCentralDirectory(whole);
        ASSERT_EQ(entries.size(), 1u);
        archive.entry = entries[0];
    }
    if (c.damage)
        c.damage(archive);
    ShrunkDevice device(archive.bytes, archive.readable.value_or(archive.bytes.size()));
    EXPECT_EQ(run(device, archive.entry, c.password ? c.password : password), c.expected);
    if (c.expected == Fault::None) {
        EXPECT_TRUE(decoded == contents);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntrySourceTest,
    testing::Values(
        SourceCase{"OursSound", Maker::Ours, {}, Fault::None},
        SourceCase{"InfoZipSound", Maker::InfoZip, {}, Fault::None},
        SourceCase{"InfoZipStoredSound", Maker::InfoZipStored, {}, Fault::None},
        SourceCase{"PythonSound", Maker::Python, {}, Fault::None},
        SourceCase{"PythonStoredSound", Maker::PythonStored, {}, Fault::None},
        SourceCase{"OffsetMissesTheLocalHeader", Maker::Python, [](Archive& a) { a.entry.localHeaderOffset += 1; },
                   Fault::NotFound},
        SourceCase{"NameRunsPastTheArchiveEnd", Maker::Python,
                   [](Archive& a) { a.bytes.replace(a.entry.localHeaderOffset + 26, 2, "\xFF\xFF"); }, Fault::NotFound},
        SourceCase{"WrongPassword", Maker::Ours, {}, Fault::Header, "Napacno geslo 123"},
        SourceCase{"CompressedSizeShorterThanTheEncryptionHeader", Maker::Ours,
                   [](Archive& a) { a.entry.compressedSize = 11; }, Fault::Header},
        SourceCase{"CompressedSizeCutsTheStream", Maker::Python, [](Archive& a) { a.entry.compressedSize /= 2; },
                   Fault::Data},
        SourceCase{"ArchiveEndsInsideTheEntry", Maker::InfoZip, CutInHalf, Fault::Data},
        // Stored data has no end of its own: what is left of it fails the CRC-32.
        SourceCase{"ArchiveEndsInsideTheStoredEntry", Maker::PythonStored, CutInHalf, Fault::Crc},
        SourceCase{"ReadsStopInsideTheEntry", Maker::PythonStored,
                   [](Archive& a) { a.readable = DataStart(a) + static_cast<std::size_t>(a.entry.compressedSize / 2); },
                   Fault::Data},
        SourceCase{"InvalidBlockType", Maker::Python,
                   [](Archive& a) { a.bytes[DataStart(a)] = static_cast<char>(0xFF); }, Fault::Undecodable},
        SourceCase{"CrcDiffers", Maker::Python, [](Archive& a) { a.entry.crc ^= 1; }, Fault::Crc},
        SourceCase{"StoredCrcDiffers", Maker::InfoZipStored, [](Archive& a) { a.entry.crc ^= 1; }, Fault::Crc},
        SourceCase{"CrcOfZeroIsNotCompared", Maker::Python, [](Archive& a) { a.entry.crc = 0; }, Fault::None}),
    [](const testing::TestParamInfo<SourceCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace qx
