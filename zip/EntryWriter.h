#pragma once
// Writes one file as one archive entry: provisional local header, CRC pass, encryption
// header, deflated and encrypted data, then the local header rewritten with the final values.
#include "zip/ArchiveStreams.h"
#include "zip/FileSelection.h"
#include "zip/ParallelDeflate.h"
#include "zip/ZipRecords.h"
#include "zip/ZipWriter.h"

#include <optional>

namespace qx::zip {

struct PackProgress {
    std::uint64_t bytesRead = 0;  // input bytes compressed so far in this pack
    std::uint64_t totalBytes = 0; // sum of the sizes of the selected files
};

class EntryWriter {
public:
    // The deflate pass reads its input in blocks of this size and reports progress after each.
    static constexpr std::size_t kInputBlock = 65535;

    // Without `parallel` the data is deflated as one stream on this thread.
    EntryWriter(ArchiveFileSink& file, const std::string& passwordBytes, const ZipWriterEvents& events,
                const ZipWriter::RandomSource& random, PackProgress& progress, ParallelDeflate* parallel = nullptr);

    // The entry's record for the central directory, or nothing when the file cannot be opened.
    std::optional<EntryFields> write(const SelectedFile& file);

private:
    std::uint32_t crcPass(std::istream& in) const;
    std::uint64_t deflatePass(std::istream& in, ByteSink& encrypted, std::uint64_t size, std::uint32_t& crc);
    std::uint64_t parallelDeflatePass(std::istream& in, ByteSink& encrypted, std::uint64_t size, std::uint32_t& crc);
    void reportRead(std::size_t got, std::uint64_t readSoFar, std::uint64_t size);

    ArchiveFileSink& file_;
    const std::string& password_;
    const ZipWriterEvents& events_;
    const ZipWriter::RandomSource& random_;
    PackProgress& progress_;
    ParallelDeflate* parallel_;
};

// The stored name's bytes: OEM when the name survives the code pages, else UTF-8 (flagged).
void EncodeEntryName(const std::string& utf8Name, EntryFields& entry);
// The last-write time in local time, MS-DOS form.
void SetDosTime(std::int64_t unixSeconds, EntryFields& entry);

} // namespace qx::zip
