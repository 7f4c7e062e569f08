#include "dbf/MemoFile.h"
#include "dbf/Bytes.h"
#include "dbf/TableError.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace dbf {
namespace {

constexpr std::uint32_t kMemoHeaderSize = 512;
constexpr std::uint32_t kDbtBlockSize = 512;
constexpr char kDbtEnd = 0x1A;

TableError MemoError(const std::string& path, const std::string& detail) {
    return TableError("Memo file is missing or invalid.\rFile: " + path, detail);
}

} // namespace

std::string MemoPathFor(const std::string& tablePath, MemoKind kind) {
    const std::size_t dot = tablePath.find_last_of('.');
    const std::size_t sep = tablePath.find_last_of("/\\");
    std::string stem =
        (dot != std::string::npos && (sep == std::string::npos || dot > sep)) ? tablePath.substr(0, dot) : tablePath;
    const bool lower = dot != std::string::npos && dot + 1 < tablePath.size() &&
                       std::islower(static_cast<unsigned char>(tablePath[dot + 1]));
    std::string ext = kind == MemoKind::Dbt ? ".DBT" : ".FPT";
    if (lower)
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return stem + ext;
}

std::string ExistingMemoPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path wanted = FileSystemPath(path);
    if (std::filesystem::exists(wanted, error))
        return path;
    const auto utf8 = [](const std::filesystem::path& p) {
        const std::u8string text = p.u8string();
        return std::string(text.begin(), text.end());
    };
    const auto sameIgnoringCase = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
                   return std::tolower(x) == std::tolower(y);
               });
    };
    const std::string name = utf8(wanted.filename());
    const std::filesystem::path folder = wanted.has_parent_path() ? wanted.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (sameIgnoringCase(utf8(entry.path().filename()), name))
            return utf8(wanted.parent_path() / entry.path().filename());
    return path;
}

std::uint32_t MemoBlockOf(std::string_view fieldBytes) {
    if (fieldBytes.size() == 4)
        return ReadLe32(fieldBytes.data());
    std::uint32_t block = 0;
    for (char c : fieldBytes) {
        if (c >= '0' && c <= '9')
            block = block * 10 + static_cast<std::uint32_t>(c - '0');
        else if (c != ' ' && c != '\0')
            return 0;
    }
    return block;
}

void StoreMemoBlock(char* fieldBytes, std::uint8_t width, std::uint32_t block) {
    if (width == 4) {
        WriteLe32(fieldBytes, block);
        return;
    }
    std::string digits = block == 0 ? std::string() : std::to_string(block);
    std::fill_n(fieldBytes, width, ' ');
    std::copy(digits.begin(), digits.end(), fieldBytes + width - digits.size());
}

void MemoReader::open(const std::string& path, MemoKind kind) {
    if (!file_.open(path, BinaryFile::Mode::Read))
        throw MemoError(path, "memo file missing");
    kind_ = kind;
    size_ = file_.size();
    char header[8];
    if (file_.readAt(0, header, sizeof header) != sizeof header)
        throw MemoError(path, "memo header truncated");
    // A block size of 0 in an .FPT stands for one-byte blocks.
    blockSize_ = kind == MemoKind::Dbt ? kDbtBlockSize : std::max<std::uint32_t>(1, ReadBe16(header + 6));
}

MemoValue MemoReader::read(std::uint32_t block) {
    MemoValue value;
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
    if (offset < kMemoHeaderSize && kind_ == MemoKind::Dbt)
        throw MemoError(file_.path(), "memo block inside the header");
    if (kind_ == MemoKind::Fpt) {
        char head[8];
        if (offset + 8 > size_ || file_.readAt(offset, head, 8) != 8)
            throw MemoError(file_.path(), "memo block past the end");
        value.type = ReadBe32(head);
        const std::uint32_t length = ReadBe32(head + 4);
        if (length > size_ - offset - 8)
            throw MemoError(file_.path(), "memo longer than its file");
        value.data.resize(length);
        if (file_.readAt(offset + 8, value.data.data(), length) != length)
            throw MemoError(file_.path(), "memo unreadable");
        return value;
    }
    // dBASE III: the text runs to the first 0x1A or the end of the file.
    std::vector<char> chunk(kDbtBlockSize);
    for (std::uint64_t at = offset; at < size_; at += chunk.size()) {
        const std::size_t got = file_.readAt(at, chunk.data(), chunk.size());
        const auto end = std::find(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got), kDbtEnd);
        value.data.append(chunk.begin(), end);
        if (end != chunk.begin() + static_cast<std::ptrdiff_t>(got) || got < chunk.size())
            break;
    }
    return value;
}

void MemoWriter::create(const std::string& path, MemoKind kind) {
    if (!file_.open(path, BinaryFile::Mode::Create))
        throw TableError("Unable to create file: " + path);
    kind_ = kind;
    blockSize_ = kind == MemoKind::Dbt ? kDbtBlockSize : kFptBlockSize;
    nextBlock_ = kMemoHeaderSize / blockSize_;
    std::string header(kMemoHeaderSize, '\0');
    if (kind == MemoKind::Fpt)
        WriteBe16(header.data() + 6, kFptBlockSize);
    file_.writeAt(0, header.data(), header.size());
}

std::uint32_t MemoWriter::write(const MemoValue& value) {
    std::string block;
    if (kind_ == MemoKind::Fpt) {
        block.resize(8);
        WriteBe32(block.data(), value.type);
        WriteBe32(block.data() + 4, static_cast<std::uint32_t>(value.data.size()));
        block += value.data;
    } else {
        block = value.data;
        block.append(2, kDbtEnd);
    }
    const std::size_t blocks = (block.size() + blockSize_ - 1) / blockSize_;
    block.resize(blocks * blockSize_, '\0');
    const std::uint32_t at = nextBlock_;
    file_.writeAt(static_cast<std::uint64_t>(at) * blockSize_, block.data(), block.size());
    nextBlock_ += static_cast<std::uint32_t>(blocks);
    return at;
}

void MemoWriter::finish() {
    char next[4];
    if (kind_ == MemoKind::Fpt)
        WriteBe32(next, nextBlock_);
    else
        WriteLe32(next, nextBlock_);
    file_.writeAt(0, next, sizeof next);
    file_.flush();
    file_.close();
}

} // namespace dbf
