// Copies of the visible records, read back by python3-dbf and python3-dbfread, and the
// append to a copy. Every table kind, memo fields included.
#include "dbf/Table.h"
#include "dbf/TableError.h"
#include "tests/dbf/TablesTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qx::test {
namespace {

class CopyTest : public ::testing::TestWithParam<const char*> {
protected:
    TempDir dir;
    IconvHost host;
};

TEST_P(CopyTest, FilteredCopyHoldsExactlyTheVisibleRecordsAndStandsAlone) {
    const std::string source = dir.file("RACN.DBF");
    Fixtures({"racn", source, GetParam(), "20200101", "20201231"});
    dbf::Table table(host);
    table.open(source);
    std::vector<int> reports;
    table.setProgressHook([&](int percent) { reports.push_back(percent); });
    table.setQuery("dtos(racndatu)>=\"20200101\".and.dtos(racndatu)<=\"20201231\"");
    // Into a folder of its own: the copy's memo file is read there, beside it.
    const std::string copy = dir.file("out/racn.dbf");
    std::filesystem::create_directory(dir.file("out"));
    EXPECT_EQ(table.copyTo(copy), 3u);
    table.close();

    std::vector<int> expected;
    for (int p = 0; p <= 100; ++p)
        expected.push_back(p);
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(Fixtures({"check-copy", source, copy, "racndatu", "20200101", "20201231"}), "OK\n");
}

TEST_P(CopyTest, CopyWithoutQueryDropsOnlyDeletedRecords) {
    const std::string source = dir.file("types.dbf");
    Fixtures({"types", source, GetParam()});
    dbf::Table table(host);
    table.open(source);
    const std::string copy = dir.file("copy.dbf");
    EXPECT_EQ(table.copyTo(copy), 3u);
    // The same records; the header counts three instead of four (one was deleted).
    std::string expected = Fixtures({"dump", source});
    expected.replace(expected.find("\"count\": 4,"), 11, "\"count\": 3,");
    EXPECT_EQ(Fixtures({"dump", copy}), expected);
}

TEST_P(CopyTest, AppendedRecordIsReadBack) {
    const std::string source = dir.file("RACN.DBF");
    Fixtures({"racn", source, GetParam(), "20200101", "20201231"});
    const std::string copy = dir.file("racn.dbf");
    {
        dbf::Table table(host);
        table.open(source);
        table.setQuery("RACNSTEV=\"first\"");
        table.copyTo(copy);
    }
    dbf::Table table(host);
    table.open(copy);
    table.appendBlank();
    table.setText("RACNSTEV", "novi");
    table.setText("RACNPART", Cp1250("Čebelar Šušteršič Žan in še veliko več")); // cut to the width
    table.setInteger("RACNZNES", -42);
    table.post();
    EXPECT_EQ(table.recordCount(), 2u);
    EXPECT_EQ(table.fieldText("RACNPART"), Cp1250("Čebelar Šušteršič Žan in še ve"));
    table.close();

    const std::string dump = Fixtures({"dump", copy});
    EXPECT_NE(dump.find("\"count\": 2"), std::string::npos) << dump;
    EXPECT_NE(
        dump.find("{\"RACNSTEV\": \"novi\", \"RACNDATU\": \"\", \"RACNPART\": \"Čebelar Šušteršič Žan in še ve\", "
                  "\"RACNZNES\": \"-42.0\", \"RACNOPIS\": \"\"}"),
        std::string::npos)
        << dump;
}

INSTANTIATE_TEST_SUITE_P(Kinds, CopyTest, ::testing::Values("db3", "fp", "vfp"),
                         [](const auto& info) { return std::string(info.param); });

TEST(CopyHeaderTest, CopyDoesNotClaimTheStructuralIndexItLacks) {
    for (const char* kind : {"db3", "fp", "vfp"}) {
        SCOPED_TRACE(kind);
        TempDir dir;
        IconvHost host;
        Fixtures({"types", dir.file("t.dbf"), kind});
        std::string bytes = ReadWholeFile(dir.file("t.dbf"));
        bytes[28] = static_cast<char>(bytes[28] | 0x01); // "has a .CDX" (.MDX for dBASE): the index is not copied
        WriteWholeFile(dir.file("t.dbf"), bytes);
        dbf::Table table(host);
        table.open(dir.file("t.dbf"));
        table.copyTo(dir.file("c.dbf"));
        EXPECT_EQ(ReadWholeFile(dir.file("c.dbf"))[28] & 0x01, 0);
    }
}

TEST(AppendTest, RefusesWrongTypesAndSetsWithoutAnAppend) {
    TempDir dir;
    IconvHost host;
    Fixtures({"racn", dir.file("r.dbf"), "fp", "20200101", "20201231"});
    dbf::Table table(host);
    table.open(dir.file("r.dbf"));
    EXPECT_THROW(table.setText("RACNSTEV", "x"), dbf::TableError);
    table.appendBlank();
    EXPECT_THROW(table.setText("RACNDATU", "x"), dbf::TableError);
    EXPECT_THROW(table.setInteger("RACNSTEV", 1), dbf::TableError);
    EXPECT_THROW(table.setInteger("RACNZNES", 1'000'000'000'000), dbf::TableError);
}

} // namespace
} // namespace qx::test
