#include "dbf/Table.h"
#include "dbf/Bytes.h"
#include "dbf/FieldText.h"
#include "dbf/TableError.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace dbf {
namespace {

constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;

} // namespace

CivilDay PlainHost::today() const {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

void Table::open(const std::string& ansiPath) {
    close();
    ansiPath_ = ansiPath;
    const std::string path = host_.filePath(ansiPath);
    std::error_code error;
    if (!std::filesystem::is_regular_file(FileSystemPath(path), error))
        throw MissingFileError(ansiPath);
    if (!file_.open(path, BinaryFile::Mode::Read))
        throw OpenTableError(ansiPath, "the file cannot be read");
    std::uint64_t complete = 0;
    try {
        const std::uint64_t size = file_.size();
        std::string prefix(TableHeader::kPrefixSize, '\0');
        prefix.resize(file_.readAt(0, prefix.data(), prefix.size()));
        ParsePrefix(prefix, header_);
        if (header_.headerLength > size)
            throw TableError("", "header longer than the file");
        header_.bytes.resize(header_.headerLength);
        file_.readAt(0, header_.bytes.data(), header_.bytes.size());
        ParseDescriptors(header_.bytes, header_);
        complete = (size - header_.headerLength) / header_.recordLength;
    } catch (const TableError& damaged) {
        file_.close();
        throw OpenTableError(ansiPath, damaged.detail());
    }
    // A file cut short, or cut while it is being written, would lose records without a word.
    if (complete < header_.promisedRecords) {
        file_.close();
        throw CutShortError(ansiPath);
    }
    recordCount_ = header_.promisedRecords;
    blocks_.emplace(file_, header_, recordCount_);
    if (header_.memoKind() != MemoKind::None) {
        try {
            memo_.open(ExistingMemoPath(host_.filePath(MemoPathFor(ansiPath, header_.memoKind()))), header_.memoKind());
        } catch (...) {
            close();
            throw;
        }
    }
}

void Table::close() {
    file_.close();
    memo_.close();
    blocks_.reset();
    query_.reset();
    progress_ = nullptr;
    current_.reset();
    record_.clear();
    appending_ = false;
    recordCount_ = 0;
}

void Table::requireOpen() const {
    if (!isOpen())
        throw ClosedTableError();
}

const FieldDescriptor& Table::fieldNamed(std::string_view name) const {
    const int index = header_.findField(name);
    if (index < 0)
        throw TableError("Field '" + std::string(name) + "' does not exist in table: " + ansiPath_);
    return header_.fields[index];
}

void Table::setQuery(const std::string& ansiExpression) {
    requireOpen();
    if (ansiExpression.find_first_not_of(' ') == std::string::npos)
        query_.reset();
    else
        query_ = Expression::Compile(ansiExpression, header_, host_);
}

void Table::setProgressHook(ProgressHook hook) {
    requireOpen();
    progress_ = std::move(hook);
}

bool Table::visible(const char* record) const {
    return record[0] != kDeletedFlag && (!query_ || query_->matches(record));
}

void Table::seekVisible(std::uint32_t from) {
    current_.reset();
    record_.clear();
    for (std::uint32_t index = from; index < recordCount_; ++index) {
        const char* record = blocks_->record(index);
        if (record == nullptr)
            throw CutShortError(ansiPath_);
        if (visible(record)) {
            current_ = index;
            record_.assign(record, header_.recordLength);
            return;
        }
    }
}

void Table::goTop() {
    requireOpen();
    appending_ = false;
    seekVisible(0);
}

void Table::skip() {
    requireOpen();
    if (current_)
        seekVisible(*current_ + 1);
}

std::string Table::fieldText(std::string_view name) {
    requireOpen();
    const FieldDescriptor& field = fieldNamed(name);
    if (!current_)
        return {};
    return FieldText(header_, field, record_.data(), memo_, host_);
}

void Table::appendBlank() {
    requireOpen();
    record_ = BlankRecord(header_);
    current_ = recordCount_;
    appending_ = true;
}

void Table::setText(std::string_view name, const std::string& ansiValue) {
    requireOpen();
    const FieldDescriptor& field = fieldNamed(name);
    if (!appending_)
        throw TableError("No record is being appended to table: " + ansiPath_);
    if (field.type != 'C')
        throw TableError("Data type mismatch: field " + field.name);
    std::string stored = (field.flags & 0x04) ? ansiValue : host_.ansiToOem(ansiValue);
    stored.resize(field.length, ' ');
    std::copy(stored.begin(), stored.end(), record_.begin() + field.offset);
}

void Table::setInteger(std::string_view name, std::int64_t value) {
    requireOpen();
    const FieldDescriptor& field = fieldNamed(name);
    if (!appending_)
        throw TableError("No record is being appended to table: " + ansiPath_);
    if (field.type == 'I') {
        if (value < INT32_MIN || value > INT32_MAX)
            throw TableError("Numeric overflow: field " + field.name);
        WriteLe32(record_.data() + field.offset, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
        return;
    }
    if (field.type != 'N' && field.type != 'F')
        throw TableError("Data type mismatch: field " + field.name);
    std::string digits = std::to_string(value);
    if (field.decimals > 0)
        digits += "." + std::string(field.decimals, '0');
    if (digits.size() > field.length)
        throw TableError("Numeric overflow: field " + field.name);
    digits.insert(0, field.length - digits.size(), ' ');
    std::copy(digits.begin(), digits.end(), record_.begin() + field.offset);
}

// Writes the appended record after the last complete one, then the end mark, then the
// header's count and date. The file is opened for update only now.
void Table::post() {
    requireOpen();
    if (!appending_)
        return;
    const std::string path = host_.filePath(ansiPath_);
    if (!file_.open(path, BinaryFile::Mode::Update))
        throw TableError("File is read-only: " + ansiPath_);
    const std::uint64_t at = header_.headerLength + static_cast<std::uint64_t>(recordCount_) * header_.recordLength;
    std::string tail = record_;
    tail.push_back(kEndOfFile);
    file_.writeAt(at, tail.data(), tail.size());
    ++recordCount_;
    blocks_.emplace(file_, header_, recordCount_);
    const CivilDay today = host_.today();
    header_.bytes = HeaderForCopy(header_, recordCount_, today.year, today.month, today.day);
    file_.writeAt(0, header_.bytes.data(), 8);
    file_.flush();
    appending_ = false;
}

} // namespace dbf
