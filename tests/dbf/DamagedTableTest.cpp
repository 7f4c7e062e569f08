// Damaged tables: a clear error or a correct partial read, never a crash or a read past
// the data (this suite also runs under AddressSanitizer).
#include "dbf/Bytes.h"
#include "dbf/Table.h"
#include "dbf/TableError.h"
#include "tests/dbf/TablesTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace qx::test {
namespace {

// RACNSTEV C(10), RACNDATU D, RACNPART C(30), RACNZNES N(12,2), RACNOPIS M: 7 records, one deleted.
constexpr std::size_t kDateDescriptor = 64;
constexpr std::size_t kMemoOffset = 61;

struct DamageCase {
    const char* name;
    std::function<void(std::string& table)> damage;
    const char* errorDetail; // empty: the table opens
    std::uint32_t records = 0;
    std::uint32_t copied = 0;
    bool cutShort = false; // the header promises more records than the file holds
};

std::uint16_t HeaderLength(const std::string& t) {
    return dbf::ReadLe16(t.data() + 8);
}
std::uint16_t RecordLength(const std::string& t) {
    return dbf::ReadLe16(t.data() + 10);
}
void SetLe16(std::string& t, std::size_t at, std::uint16_t v) {
    t[at] = static_cast<char>(v & 0xFF);
    t[at + 1] = static_cast<char>(v >> 8);
}

class DamagedTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        Fixtures({"racn", dir_->file("good.dbf"), "fp", "20200101", "20201231"});
    }
    static void TearDownTestSuite() { delete dir_; }
    static TempDir* dir_;
};
TempDir* DamagedTableTest::dir_ = nullptr;

TEST_F(DamagedTableTest, GivesAClearErrorOrReadsTheCompleteRecords) {
    const std::vector<DamageCase> cases{
        {"empty file", [](std::string& t) { t.clear(); }, "header shorter than 32 bytes"},
        {"truncated header", [](std::string& t) { t.resize(20); }, "header shorter than 32 bytes"},
        {"cut inside the descriptors", [](std::string& t) { t.resize(100); }, "header longer than the file"},
        {"header length past the end", [](std::string& t) { SetLe16(t, 8, 0xFFFF); }, "header longer than the file"},
        {"header length too small", [](std::string& t) { SetLe16(t, 8, 40); }, "header length too small"},
        {"unsupported version", [](std::string& t) { t[0] = static_cast<char>(0x8B); }, "unsupported version"},
        {"record length zero", [](std::string& t) { SetLe16(t, 10, 0); }, "record length too small"},
        {"record length shorter than the fields",
         [](std::string& t) { SetLe16(t, 10, static_cast<std::uint16_t>(RecordLength(t) - 1)); },
         "fields longer than the record length"},
        {"record length longer than the fields",
         [](std::string& t) { SetLe16(t, 10, static_cast<std::uint16_t>(RecordLength(t) + 1)); },
         "record length differs"},
        {"date field of the wrong width", [](std::string& t) { t[kDateDescriptor + 16] = 5; }, "width"},
        {"no descriptor terminator", [](std::string& t) { t[32 + 5 * 32] = 'X'; }, "has a width"},
        {"no fields", [](std::string& t) { t[32] = 0x0D; }, "table without fields"},
        {"descriptors run past the header",
         [](std::string& t) { SetLe16(t, 8, static_cast<std::uint16_t>(32 + 2 * 32 + 16)); }, "runs past the header"},
        {"more records promised than present", [](std::string& t) { dbf::WriteLe32(t.data() + 4, 1000); }, "", 0, 0,
         true},
        {"count beyond any file", [](std::string& t) { dbf::WriteLe32(t.data() + 4, 0xFFFFFFFF); }, "", 0, 0, true},
        {"last record cut in half", [](std::string& t) { t.resize(t.size() - 1 - RecordLength(t) / 2); }, "", 0, 0,
         true},
        {"fewer records promised than present", [](std::string& t) { dbf::WriteLe32(t.data() + 4, 2); }, "", 2, 2},
    };
    const std::string good = ReadWholeFile(dir_->file("good.dbf"));
    IconvHost host;
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.damage(bytes);
        const std::string path = dir_->file("damaged.dbf");
        WriteWholeFile(path, bytes);
        std::rename(dir_->file("good.fpt").c_str(), dir_->file("damaged.fpt").c_str());
        dbf::Table table(host);
        if (c.cutShort) {
            try {
                table.open(path);
                ADD_FAILURE() << "opened";
            } catch (const dbf::TableError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Table is damaged or was changed while it was read.\rFile: " + path);
            }
            std::rename(dir_->file("damaged.fpt").c_str(), dir_->file("good.fpt").c_str());
            continue;
        }
        try {
            table.open(path);
            EXPECT_STREQ(c.errorDetail, "") << "opened";
            EXPECT_EQ(table.recordCount(), c.records);
            std::uint32_t seen = 0;
            for (table.goTop(); !table.eof(); table.skip(), ++seen)
                for (const auto& field : table.header().fields)
                    table.fieldText(field.name);
            EXPECT_EQ(seen, c.copied);
            EXPECT_EQ(table.copyTo(dir_->file("copy.dbf")), c.copied);
        } catch (const dbf::TableError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to open table: " + path);
            EXPECT_NE(std::string(c.errorDetail), "") << error.detail();
            EXPECT_NE(error.detail().find(c.errorDetail), std::string::npos) << error.detail();
        }
        std::rename(dir_->file("damaged.fpt").c_str(), dir_->file("good.fpt").c_str());
    }
}

TEST_F(DamagedTableTest, MemoPointerPastTheMemoFileIsAnError) {
    std::string bytes = ReadWholeFile(dir_->file("good.dbf"));
    const std::size_t second = HeaderLength(bytes) + RecordLength(bytes) + kMemoOffset;
    bytes.replace(second, 10, "    999999");
    WriteWholeFile(dir_->file("memo.dbf"), bytes);
    WriteWholeFile(dir_->file("memo.fpt"), ReadWholeFile(dir_->file("good.fpt")));
    IconvHost host;
    dbf::Table table(host);
    table.open(dir_->file("memo.dbf"));
    table.setQuery("RACNSTEV=\"first\"");
    table.goTop();
    const std::string error = "Memo file is missing or invalid.\rFile: " + dir_->file("memo.fpt");
    try {
        table.fieldText("RACNOPIS");
        ADD_FAILURE() << "memo read";
    } catch (const dbf::TableError& e) {
        EXPECT_EQ(std::string(e.what()), error);
    }
    EXPECT_THROW(table.copyTo(dir_->file("memo-copy.dbf")), dbf::TableError);
}

} // namespace
} // namespace qx::test
