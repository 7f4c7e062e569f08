// Query expressions of the program's subset, compiled against a table and evaluated per
// record; malformed or non-logical ones refused with the engine's text.
#include "dbf/Table.h"
#include "dbf/TableError.h"
#include "tests/dbf/TablesTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace qx::test {
namespace {

// One fixture for the whole suite: RACN-like records dated around 2020-01-01 .. 2020-12-31.
class QueryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        Fixtures({"racn", dir_->file("racn.dbf"), "fp", "20200101", "20201231"});
    }
    static void TearDownTestSuite() { delete dir_; }

    std::vector<std::string> visible(const std::string& expression) {
        dbf::Table table(host);
        table.open(dir_->file("racn.dbf"));
        table.setQuery(expression);
        std::vector<std::string> names;
        for (table.goTop(); !table.eof(); table.skip())
            names.push_back(table.fieldText("RACNSTEV"));
        return names;
    }

    static TempDir* dir_;
    IconvHost host;
};
TempDir* QueryTest::dir_ = nullptr;

struct QueryCase {
    std::string expression;
    std::vector<std::string> visible;
};

TEST_F(QueryTest, KeepsTheRecordsForWhichTheExpressionIsTrue) {
    const std::vector<std::string> all{"before", "first", "middle", "last", "after", "blank"};
    const std::vector<QueryCase> cases{
        {"dtos(racndatu)>=\"20200101\".and.dtos(racndatu)<=\"20201231\"", {"first", "middle", "last"}},
        {"dtos(racndatu) >= \"20200101\".AND.dtos(racndatu)<=\"20201231\"", {"first", "middle", "last"}},
        {"DTOS(RACNDATU) >= \"20200102\" .and. dtos(racndatu) <= \"20201230\"", {"middle"}},
        {"dtos(racndatu)>=\"20210101\".and.dtos(racndatu)<=\"20191231\"", {}},
        {"RACNSTEV=\"fi\"", {"first"}},         // exact off: the field begins with the literal
        {"RACNSTEV=\"first     \"", {"first"}}, // trailing blanks of the field count
        {"RACNSTEV=\"firstx\"", {}},
        {"RACNSTEV=\"\"", all},
        {"LEFT(RACNSTEV,2)=\"mi\"", {"middle"}},
        {"LEFT(RACNSTEV,3)=\"mid\".or.LEFT(RACNSTEV,1)=\"l\"", {"middle", "last"}},
        {"(RACNSTEV=\"after\").OR.(RACNSTEV=\"before\")", {"before", "after"}},
        {"(RACNSTEV=\"a\".or.RACNSTEV=\"b\").and.RACNSTEV>=\"b\"", {"before", "blank"}},
        {"RACNSTEV<=\"b\"", {"before", "after", "blank"}},          // a text that begins with "b" counts as equal
        {"RACNPART=\"" + Cp1250("Kupec čšž 3") + "\"", {"middle"}}, // the literal reaches the OEM bytes
        {"  ", all},
    };
    for (const QueryCase& c : cases)
        EXPECT_EQ(visible(c.expression), c.visible) << c.expression;
}

TEST_F(QueryTest, RefusesMalformedAndNonLogicalExpressions) {
    const std::vector<std::string> cases{
        "RACNSTEV",
        "dtos(racndatu)",
        "NOSUCH=\"x\"",
        "RACNSTEV=\"x",
        "(RACNSTEV=\"x\"",
        "RACNSTEV=\"x\")",
        "dtos(racnstev)=\"x\"",
        "RACNZNES=\"1\"",
        "RACNSTEV=\"a\" .and.",
        "RACNSTEV=\"a\" .and. RACNSTEV",
        "LEFT(RACNSTEV)=\"a\"",
        "LEFT(RACNDATU,2)=\"a\"",
        "upper(RACNSTEV)=\"A\"",
        "RACNSTEV=\"a\" RACNSTEV",
        std::string(300, '(') + "RACNSTEV=\"a\"" + std::string(300, ')'),
    };
    dbf::Table table(host);
    table.open(dir_->file("racn.dbf"));
    for (const std::string& expression : cases) {
        try {
            table.setQuery(expression);
            ADD_FAILURE() << "accepted: " << expression;
        } catch (const dbf::TableError& error) {
            EXPECT_EQ(std::string(error.what()), "Invalid Query Expression\r\r" + expression);
        }
    }
}

} // namespace
} // namespace qx::test
