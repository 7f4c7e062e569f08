// Table::copyTo: the visible records streamed into a new table in large blocks.
#include "dbf/RecordBlocks.h"
#include "dbf/Table.h"
#include "dbf/TableError.h"

#include <vector>

namespace dbf {
namespace {

constexpr char kEndOfFile = 0x1A;

// Reports each percentage from the last reported one up to `percent`, so that the
// receiver sees every value once and in order however records and percents line up.
class ProgressSteps {
public:
    explicit ProgressSteps(const ProgressHook& hook) : hook_(hook) { advance(0); }
    void advance(int percent) {
        while (hook_ && reported_ < percent)
            hook_(++reported_);
    }

private:
    const ProgressHook& hook_;
    int reported_ = -1;
};

} // namespace

void Table::copyMemos(char* record, MemoWriter& writer) {
    for (const FieldDescriptor& field : header_.fields) {
        if (!field.isMemo())
            continue;
        char* bytes = record + field.offset;
        const std::uint32_t block = MemoBlockOf(std::string_view(bytes, field.length));
        StoreMemoBlock(bytes, field.length, block == 0 ? 0 : writer.write(memo_.read(block)));
    }
}

std::uint32_t Table::copyTo(const std::string& ansiPath) {
    requireOpen();
    const std::string path = host_.filePath(ansiPath);
    BinaryFile out;
    if (!out.open(path, BinaryFile::Mode::Create))
        throw TableError("Unable to create file: " + ansiPath);
    MemoWriter memoOut;
    const bool memos = header_.memoKind() != MemoKind::None;
    if (memos)
        memoOut.create(host_.filePath(MemoPathFor(ansiPath, header_.memoKind())), header_.memoKind());

    const CivilDay today = host_.today();
    out.writeAt(0, header_.bytes.data(), header_.bytes.size());

    const std::size_t length = header_.recordLength;
    std::vector<char> pending;
    pending.reserve(RecordBlocks::kBlockBytes + length);
    ProgressSteps progress(progress_);
    std::uint32_t written = 0;
    for (std::uint32_t index = 0; index < recordCount_; ++index) {
        const char* record = blocks_->record(index);
        if (record == nullptr)
            throw CutShortError(ansiPath_);
        if (visible(record)) {
            pending.insert(pending.end(), record, record + length);
            if (memos)
                copyMemos(pending.data() + pending.size() - length, memoOut);
            ++written;
            if (pending.size() >= RecordBlocks::kBlockBytes) {
                out.append(pending.data(), pending.size());
                pending.clear();
            }
        }
        progress.advance(static_cast<int>((static_cast<std::uint64_t>(index) + 1) * 100 / recordCount_));
    }
    pending.push_back(kEndOfFile);
    out.append(pending.data(), pending.size());
    const std::string header = HeaderForCopy(header_, written, today.year, today.month, today.day);
    out.writeAt(0, header.data(), header.size());
    out.flush();
    out.close();
    if (memos)
        memoOut.finish();
    progress.advance(100);
    return written;
}

} // namespace dbf
