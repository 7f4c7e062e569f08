#include "zip/ParallelDeflate.h"

#include "text/Error.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>

namespace qx::zip {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kOutputBlock = 65535;
constexpr std::size_t kCrcChunk = 256 * 1024;
// Blocks read ahead per worker: enough to keep every worker busy, few enough to keep memory flat.
constexpr int kBlocksPerWorker = 4;

// Whatever ends a pass, no worker may still be using one of its jobs or a coder.
template <typename Job> struct WaitForWorkers {
    std::deque<std::unique_ptr<Job>>& jobs;
    ~WaitForWorkers() {
        for (auto& job : jobs)
            if (job->done.valid())
                job->done.wait();
    }
};

} // namespace

struct ParallelDeflate::Block {
    std::vector<unsigned char> dictionary; // the last 32 KiB of the input before this block
    std::vector<unsigned char> input;
    std::vector<std::size_t> reads; // sizes of the input reads it holds, for the progress events
    bool last = false;
    std::vector<unsigned char> output;
    std::uint32_t crc = 0;
    std::future<void> done;
};

ParallelDeflate::ParallelDeflate(WorkerPool& pool, std::size_t readSize)
    : pool_(pool), readSize_(readSize), streams_(static_cast<std::size_t>(pool.size())) {
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        if (deflateInit2(&streams_[i], 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            for (std::size_t j = 0; j < i; ++j)
                deflateEnd(&streams_[j]);
            throw Error("Cannot start the deflate coder");
        }
    }
}

ParallelDeflate::~ParallelDeflate() {
    for (auto& stream : streams_)
        deflateEnd(&stream);
}

void ParallelDeflate::deflateBlock(Block& block, int worker) {
    z_stream& z = streams_[static_cast<std::size_t>(worker)];
    if (deflateReset(&z) != Z_OK)
        throw Error("Deflate coder failed");
    if (!block.dictionary.empty() &&
        deflateSetDictionary(&z, block.dictionary.data(), static_cast<uInt>(block.dictionary.size())) != Z_OK)
        throw Error("Deflate coder failed");
    block.crc = static_cast<std::uint32_t>(crc32_z(0, block.input.data(), block.input.size()));

    const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
    z.next_in = block.input.data();
    z.avail_in = static_cast<uInt>(block.input.size());
    block.output.resize(deflateBound(&z, block.input.size()) + 16);
    std::size_t used = 0;
    for (;;) {
        z.next_out = block.output.data() + used;
        z.avail_out = static_cast<uInt>(block.output.size() - used);
        const int result = deflate(&z, flush);
        if (result == Z_STREAM_ERROR)
            throw Error("Deflate coder failed");
        used = block.output.size() - z.avail_out;
        if (block.last ? result == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0))
            break;
        block.output.resize(block.output.size() * 2);
    }
    block.output.resize(used);
}

std::uint32_t ParallelDeflate::crcOf(std::istream& in) {
    struct Chunk {
        std::vector<unsigned char> data;
        std::uint32_t crc = 0;
        std::future<void> done;
    };
    std::deque<std::unique_ptr<Chunk>> inFlight;
    const WaitForWorkers<Chunk> waitForWorkers{inFlight};
    const std::size_t mostInFlight = static_cast<std::size_t>(pool_.size() * kBlocksPerWorker);
    std::vector<std::unique_ptr<Chunk>> spare;
    bool endOfInput = false;
    std::uint32_t crc = 0;
    for (;;) {
        while (!endOfInput && inFlight.size() < mostInFlight) {
            auto chunk = spare.empty() ? std::make_unique<Chunk>() : std::move(spare.back());
            if (!spare.empty())
                spare.pop_back();
            chunk->data.resize(kCrcChunk);
            in.read(reinterpret_cast<char*>(chunk->data.data()), static_cast<std::streamsize>(kCrcChunk));
            chunk->data.resize(static_cast<std::size_t>(in.gcount()));
            endOfInput = chunk->data.size() < kCrcChunk;
            Chunk& queued = *chunk;
            chunk->done = pool_.submit([&queued](int) {
                queued.crc = static_cast<std::uint32_t>(crc32_z(0, queued.data.data(), queued.data.size()));
            });
            inFlight.push_back(std::move(chunk));
        }
        if (inFlight.empty())
            return crc;
        Chunk& chunk = *inFlight.front();
        chunk.done.get();
        crc = static_cast<std::uint32_t>(crc32_combine(crc, chunk.crc, static_cast<z_off_t>(chunk.data.size())));
        spare.push_back(std::move(inFlight.front()));
        inFlight.pop_front();
    }
}

std::uint64_t ParallelDeflate::run(std::istream& in, ByteSink& below, const Events& events, std::uint32_t& crc) {
    std::deque<std::unique_ptr<Block>> inFlight;
    const WaitForWorkers<Block> waitForWorkers{inFlight};
    const std::size_t mostInFlight = static_cast<std::size_t>(pool_.size() * kBlocksPerWorker);
    std::vector<std::unique_ptr<Block>> spare;
    std::vector<unsigned char> window; // the last 32 KiB read so far
    bool endOfInput = false;
    std::uint64_t total = 0;
    crc = 0;

    auto readBlock = [&] {
        // Blocks are used again: their buffers keep their room, so no block costs an allocation.
        auto block = spare.empty() ? std::make_unique<Block>() : std::move(spare.back());
        if (!spare.empty())
            spare.pop_back();
        block->reads.clear();
        block->dictionary = window;
        block->input.resize(readSize_ * kReadsPerBlock);
        std::size_t filled = 0;
        while (block->reads.size() < kReadsPerBlock) {
            in.read(reinterpret_cast<char*>(block->input.data() + filled), static_cast<std::streamsize>(readSize_));
            const auto got = static_cast<std::size_t>(in.gcount());
            if (got == 0)
                break;
            block->reads.push_back(got);
            filled += got;
            if (got < readSize_)
                break;
        }
        block->input.resize(filled);
        endOfInput = filled < readSize_ * kReadsPerBlock || in.peek() == std::istream::traits_type::eof();
        block->last = endOfInput;
        const auto keep = static_cast<std::ptrdiff_t>(std::min(kWindow, filled));
        window.insert(window.end(), block->input.end() - keep, block->input.end());
        if (window.size() > kWindow)
            window.erase(window.begin(), window.end() - static_cast<std::ptrdiff_t>(kWindow));
        Block& queued = *block;
        block->done = pool_.submit([this, &queued](int worker) { deflateBlock(queued, worker); });
        inFlight.push_back(std::move(block));
    };

    while (!endOfInput || !inFlight.empty()) {
        while (!endOfInput && inFlight.size() < mostInFlight)
            readBlock();
        Block& block = *inFlight.front();
        block.done.get();
        for (std::size_t at = 0; at < block.output.size(); at += kOutputBlock) {
            below.write(block.output.data() + at, std::min(kOutputBlock, block.output.size() - at));
            if (events.afterOutputBlock)
                events.afterOutputBlock();
        }
        crc = static_cast<std::uint32_t>(crc32_combine(crc, block.crc, static_cast<z_off_t>(block.input.size())));
        total += block.input.size();
        for (const std::size_t read : block.reads)
            if (events.afterRead)
                events.afterRead(read);
        spare.push_back(std::move(inFlight.front()));
        inFlight.pop_front();
    }
    return total;
}

} // namespace qx::zip
