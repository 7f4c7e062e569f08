// Reading tables written by python3-dbf: every version, field type and memo kind;
// deleted records hidden; character fields translated from OEM to ANSI.
#include "dbf/Table.h"
#include "dbf/TableError.h"
#include "tests/dbf/TablesTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace qx::test {
namespace {

struct KindCase {
    const char* kind;
    std::uint8_t version;
};

// Test listings name a case by its kind instead of dumping its bytes.
void PrintTo(const KindCase& c, std::ostream* out) {
    *out << c.kind;
}

class TableReadTest : public ::testing::TestWithParam<KindCase> {
protected:
    TempDir dir;
    IconvHost host;
};

TEST_P(TableReadTest, ReadsFieldsOfVisibleRecordsInOrder) {
    const std::string path = dir.file("types.dbf");
    Fixtures({"types", path, GetParam().kind});
    dbf::Table table(host);
    table.open(path);
    EXPECT_EQ(table.header().version, GetParam().version);
    EXPECT_EQ(table.recordCount(), 4u);

    table.goTop();
    ASSERT_FALSE(table.eof());
    EXPECT_EQ(table.fieldText("NAME"), Cp1250("čšž ČŠŽ"));
    EXPECT_EQ(table.fieldText("name"), Cp1250("čšž ČŠŽ")); // names ignore letter case
    EXPECT_EQ(table.fieldText("AMOUNT"), "     12.50");
    EXPECT_EQ(table.fieldText("DAY"), "20200131");
    EXPECT_EQ(table.fieldText("FLAG"), "T");
    EXPECT_EQ(table.fieldText("NOTE"), Cp1250("memo čšž\r\nline 2"));
    const bool vfp = std::string(GetParam().kind) == "vfp";
    if (vfp) {
        EXPECT_EQ(table.fieldText("CNT"), "7");
        EXPECT_EQ(table.fieldText("PRICE"), "1.2345");
        EXPECT_EQ(table.fieldText("WHEN"), "20200131134510");
        EXPECT_EQ(table.fieldText("RATE"), "2.5");
    }

    table.skip(); // the deleted record is never seen
    ASSERT_FALSE(table.eof());
    EXPECT_EQ(table.fieldText("NAME"), "Ana");
    EXPECT_EQ(table.fieldText("DAY"), "");
    EXPECT_EQ(table.fieldText("FLAG"), "F");
    EXPECT_EQ(table.fieldText("NOTE"), "");
    if (vfp) {
        EXPECT_EQ(table.fieldText("CNT"), "-5");
        EXPECT_EQ(table.fieldText("WHEN"), "");
    }

    table.skip();
    EXPECT_EQ(table.fieldText("NAME"), Cp1250("Žiga"));
    EXPECT_EQ(table.fieldText("NOTE"), std::string(300, 'x')); // a memo over several blocks
    if (vfp) {
        EXPECT_EQ(table.fieldText("CNT"), "2147483646");
    }

    table.skip();
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.fieldText("NAME"), ""); // no visible record: empty
}

INSTANTIATE_TEST_SUITE_P(Kinds, TableReadTest,
                         ::testing::Values(KindCase{"db3", 0x83}, KindCase{"fp", 0xF5}, KindCase{"vfp", 0x30}),
                         [](const auto& info) { return std::string(info.param.kind); });

class TableErrorTest : public ::testing::Test {
protected:
    std::string errorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const dbf::TableError& error) {
            return error.what();
        }
        return "(no error)";
    }
    TempDir dir;
    IconvHost host;
    dbf::Table table{host};
};

TEST_F(TableErrorTest, MissingFileNamesThePath) {
    const std::string path = dir.file("NONE.DBF");
    EXPECT_EQ(errorOf([&] { table.open(path); }), "Table, file or directory does not exist.\rFile: " + path);
    EXPECT_FALSE(table.isOpen());
}

TEST_F(TableErrorTest, ClosedTableRefusesTheProgressHookAndNavigation) {
    EXPECT_EQ(errorOf([&] { table.setProgressHook([](int) {}); }), "Cannot perform this operation on a closed table");
    EXPECT_EQ(errorOf([&] { table.goTop(); }), "Cannot perform this operation on a closed table");
}

TEST_F(TableErrorTest, UnknownFieldAndMissingMemoFile) {
    const std::string path = dir.file("types.dbf");
    Fixtures({"types", path, "fp"});
    table.open(path);
    table.goTop();
    EXPECT_NE(errorOf([&] { table.fieldText("NOSUCH"); }).find("NOSUCH"), std::string::npos);
    table.close();
    std::remove(dir.file("types.fpt").c_str());
    EXPECT_EQ(errorOf([&] { table.open(path); }), "Memo file is missing or invalid.\rFile: " + dir.file("types.fpt"));
}

// FoxPro on Windows writes calls.dbf beside calls.FPT: the memo is found whatever its letter case.
TEST_F(TableErrorTest, MemoFileIsFoundWithoutRegardToCase) {
    for (const char* memoName : {"types.FPT", "TYPES.fpt", "Types.Fpt"}) {
        SCOPED_TRACE(memoName);
        const std::string path = dir.file("types.dbf");
        Fixtures({"types", path, "fp"});
        std::rename(dir.file("types.fpt").c_str(), dir.file(memoName).c_str());
        table.open(path);
        table.goTop();
        EXPECT_EQ(errorOf([&] { table.copyTo(dir.file("copy.dbf")); }), "(no error)");
        table.close();
        std::remove(dir.file(memoName).c_str());
    }
}

TEST_F(TableErrorTest, NotATableCannotBeOpened) {
    const std::string path = dir.file("text.dbf");
    WriteWholeFile(path, "This is not a table, but it is long enough to have a header of 32 bytes.");
    EXPECT_EQ(errorOf([&] { table.open(path); }), "Unable to open table: " + path);
}

} // namespace
} // namespace qx::test
