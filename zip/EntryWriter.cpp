#include "zip/EntryWriter.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileStreams.h"
#include "text/Error.h"
#include "zip/ZipFormat.h"

#include <zlib.h>

#include <vector>

namespace qx::zip {
namespace {

constexpr std::size_t kCrcBlock = 8192;

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

// Reserve ZIP64 sizes when the deflate output of this file could reach the 32-bit limit.
bool NeedsZip64Sizes(std::uint64_t size) {
    const std::uint64_t worstCompressed =
        size + size / 1000 + (size / EntryWriter::kInputBlock + 1) * 5 + 1024 + kEncryptionHeaderSize;
    return worstCompressed >= kMax32;
}

} // namespace

void EncodeEntryName(const std::string& utf8Name, EntryFields& entry) {
    std::string name = utf8Name;
    for (auto& c : name)
        if (c == '\\')
            c = '/';
    const AnsiText ansi = platform::ToAnsi(name);
    const OemText oem = platform::AnsiToOem(ansi);
    if (platform::FromAnsi(ansi) == name && platform::OemToAnsi(oem) == ansi) {
        entry.storedName = oem.bytes;
        entry.utf8Name = false;
    } else {
        entry.storedName = name;
        entry.utf8Name = true;
        entry.flags |= kFlagUtf8Name;
    }
}

void SetDosTime(std::int64_t unixSeconds, EntryFields& entry) {
    const std::tm local = platform::LocalTime(unixSeconds);
    int year = local.tm_year + 1900;
    if (year < 1980) { // the earliest moment MS-DOS form can hold
        entry.dosDate = (1 << 5) | 1;
        entry.dosTime = 0;
        return;
    }
    if (year > 2107)
        year = 2107;
    entry.dosDate = static_cast<std::uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    entry.dosTime = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

EntryWriter::EntryWriter(ArchiveFileSink& file, const std::string& passwordBytes, const ZipWriterEvents& events,
                         const ZipWriter::RandomSource& random, PackProgress& progress, ParallelDeflate* parallel)
    : file_(file), password_(passwordBytes), events_(events), random_(random), progress_(progress),
      parallel_(parallel) {}

std::optional<EntryFields> EntryWriter::write(const SelectedFile& selected) {
    std::ifstream in;
    platform::OpenForReading(in, selected.path);
    if (!in.is_open())
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    const std::uint64_t size = end < 0 ? selected.size : static_cast<std::uint64_t>(end);
    in.seekg(0);

    EntryFields entry;
    entry.flags = kFlagEncrypted;
    EncodeEntryName(selected.name, entry);
    SetDosTime(selected.lastWriteUnix, entry);
    entry.externalAttributes = selected.attributes;
    entry.uncompressedSize = size;
    entry.localHeaderOffset = file_.position();
    entry.zip64Offset = entry.localHeaderOffset >= kMax32;
    entry.zip64Sizes = NeedsZip64Sizes(size);

    if (events_.entryStart)
        events_.entryStart(selected.name);
    file_.write(LocalHeader(entry));
    const std::uint64_t dataStart = file_.position();

    const std::uint32_t firstCrc = parallel_ ? parallel_->crcOf(in) : crcPass(in);
    in.clear();
    in.seekg(0);

    EncryptingSink encrypted(file_, password_);
    unsigned char header[kEncryptionHeaderSize];
    for (std::size_t i = 0; i < 10; ++i)
        header[i] = random_();
    header[10] = static_cast<unsigned char>(firstCrc >> 16);
    header[11] = static_cast<unsigned char>(firstCrc >> 24);
    encrypted.write(header, sizeof header);

    std::uint32_t crc = 0;
    const std::uint64_t bytesRead =
        parallel_ ? parallelDeflatePass(in, encrypted, size, crc) : deflatePass(in, encrypted, size, crc);
    const std::uint64_t dataEnd = file_.position();

    entry.crc = crc;
    entry.uncompressedSize = bytesRead;
    entry.compressedSize = dataEnd - dataStart;
    if (!entry.zip64Sizes && (entry.compressedSize >= kMax32 || entry.uncompressedSize >= kMax32))
        throw Error("File \"" + selected.path + "\" grew while it was packed");
    file_.seek(entry.localHeaderOffset);
    file_.write(LocalHeader(entry));
    file_.seek(dataEnd);
    return entry;
}

std::uint32_t EntryWriter::crcPass(std::istream& in) const {
    std::vector<unsigned char> block(kCrcBlock);
    std::uint32_t crc = 0;
    while (in) {
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        crc = Crc32(crc, block.data(), static_cast<std::size_t>(in.gcount()));
    }
    return crc;
}

std::uint64_t EntryWriter::deflatePass(std::istream& in, ByteSink& encrypted, std::uint64_t size, std::uint32_t& crc) {
    DeflateSink deflated(encrypted, events_.outputBlock);
    std::vector<unsigned char> block(kInputBlock);
    std::uint64_t read = 0;
    while (in) {
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0)
            break;
        crc = Crc32(crc, block.data(), got);
        deflated.write(block.data(), got);
        read += got;
        reportRead(got, read, size);
    }
    deflated.finish();
    return read;
}

std::uint64_t EntryWriter::parallelDeflatePass(std::istream& in, ByteSink& encrypted, std::uint64_t size,
                                               std::uint32_t& crc) {
    std::uint64_t read = 0;
    const ParallelDeflate::Events events{
        .afterOutputBlock = events_.outputBlock,
        .afterRead =
            [&](std::size_t got) {
                read += got;
                reportRead(got, read, size);
            },
    };
    return parallel_->run(in, encrypted, events, crc);
}

void EntryWriter::reportRead(std::size_t got, std::uint64_t readSoFar, std::uint64_t size) {
    progress_.bytesRead += got;
    if (events_.filePercent)
        events_.filePercent(Percent(readSoFar, size));
    if (events_.totalPercent)
        events_.totalPercent(Percent(progress_.bytesRead, progress_.totalBytes));
}

} // namespace qx::zip
