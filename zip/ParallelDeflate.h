#pragma once
// Raw deflate of one input on every worker, the way pigz does it: the input is cut into
// blocks, each block is deflated on a worker primed with the last 32 KiB of the block
// before, and ends with a sync flush (the last one with the stream's end), so the blocks
// joined in order are one deflate stream with the ratio of a single one. The output is
// handed down in order on the calling thread. The CRC pass before it runs on the workers too.
#include "zip/ArchiveStreams.h"
#include "zip/WorkerPool.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <istream>
#include <vector>

namespace qx::zip {

class ParallelDeflate {
public:
    // One block is this many input reads of `readSize` bytes.
    static constexpr std::size_t kReadsPerBlock = 2;

    ParallelDeflate(WorkerPool& pool, std::size_t readSize);
    ~ParallelDeflate();
    ParallelDeflate(const ParallelDeflate&) = delete;
    ParallelDeflate& operator=(const ParallelDeflate&) = delete;

    struct Events {
        std::function<void()> afterOutputBlock;          // after every block of up to 65,535 bytes handed down
        std::function<void(std::size_t read)> afterRead; // per input read, once its output is handed down
    };

    // The CRC-32 of `in` to its end, its chunks summed on the workers.
    std::uint32_t crcOf(std::istream& in);
    // Deflates `in` to its end onto `below`; returns the bytes read, `crc` their CRC-32.
    std::uint64_t run(std::istream& in, ByteSink& below, const Events& events, std::uint32_t& crc);

private:
    struct Block;
    void deflateBlock(Block& block, int worker);

    WorkerPool& pool_;
    std::size_t readSize_;
    std::vector<z_stream> streams_; // one per worker
};

} // namespace qx::zip
