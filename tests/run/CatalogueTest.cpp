// The table catalogue through the real platform layer: source resolution, whole and
// filtered copies with their log lines, the company record and the bank-account texts.
// Tables are written by python3-dbf and the copies read back by it.
#include "run/TableCatalogue.h"
#include "tests/dbf/TablesTestSupport.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qx::test {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() {
        std::filesystem::create_directories(user());
        std::filesystem::create_directories(work());
        session.selection.dataRoot = root.path();
        session.selection.userDir = "ŠOLA.001";
        session.selection.workDir = work();
        session.settings.Datumod = DayCountOf({2020, 1, 1});
        session.settings.DS = "SI99999999";
        session.run.endDateKey = "20201231";
    }
    // A user folder with a non-ASCII name: every path crosses the engine's ANSI edge and back.
    std::string user() const { return root.file("ŠOLA.001/"); }
    std::string work() const { return root.file("TEMP/"); }
    void touch(const std::string& path) { WriteWholeFile(path, "x"); }
    TableSources sources() const { return ResolveTableSources(root.path(), "ŠOLA.001"); }

    TempDir root;
    Session session;
    RecordingOperator ui;
};

TEST_F(CatalogueTest, EachTableFallsBackOnItsOwnAndOrgeIsDroppedWhenNowhere) {
    touch(user() + "RACN.DBF");
    touch(root.file("RACN.DBF"));
    touch(root.file("RACP.DBF"));
    TableSources found = sources();
    EXPECT_EQ(found.racn.source, user() + "RACN.DBF");
    EXPECT_EQ(found.racp.source, root.file("RACP.DBF"));
    EXPECT_EQ(found.gotg.source, root.file("GOTG.DBF")); // in neither place: the data root's path
    EXPECT_EQ(found.popa, root.file("POPA.DBF"));
    EXPECT_FALSE(found.orge.has_value());

    touch(root.file("ORGE.DBF"));
    EXPECT_EQ(sources().orge, root.file("ORGE.DBF"));
    touch(user() + "ORGE.DBF");
    EXPECT_EQ(sources().orge, user() + "ORGE.DBF");
}

TEST_F(CatalogueTest, DateFiltersAreExactToTheBlank) {
    const TableSources s = sources();
    const std::vector<std::pair<const CatalogueTable*, std::string>> cases{
        {&s.racn, "dtos(racndatu)>=\"20200101\".and.dtos(racndatu)<=\"20201231\""},
        {&s.racp, "dtos(racpdatu) >= \"20200101\".and.dtos(racpdatu)<=\"20201231\""},
        {&s.gotg, "dtos(racndatu) >= \"20200101\".and.dtos(racndatu)<=\"20201231\""},
        {&s.gotp, "dtos(racpdatu) >= \"20200101\".and.dtos(racpdatu)<=\"20201231\""},
        {&s.stro, "dtos(strodatd) >= \"20200101\".and.dtos(strodatd)<=\"20201231\""},
        {&s.ptnl, "dtos(ptnldtrz) >= \"20200101\".and.dtos(ptnldtrz)<=\"20201231\""},
        {&s.prac, "dtos(pracdatu) >= \"20200101\".and.dtos(pracdatu)<=\"20201231\""},
        {&s.prap, "dtos(prapdatu) >= \"20200101\".and.dtos(prapdatu)<=\"20201231\""},
        {&s.knzr, "dtos(knzrdati) >= \"20200101\".and.dtos(knzrdati)<=\"20201231\""},
    };
    for (const auto& [table, expected] : cases)
        EXPECT_EQ(table->filter("20200101", "20201231"), expected);
}

TEST_F(CatalogueTest, WholeFileCopyCarriesTheTableFileAsItStands) {
    Fixtures({"kerno", user(), "POPA.DBF"});
    TableCatalogue catalogue(session, ui, sources());
    catalogue.wholeFileCopy(sources().popa);
    catalogue.wholeFileCopy(sources().vstr); // missing: a log line, no copy, no error
    EXPECT_EQ(ui.log, (std::vector<std::string>{"POPA.DBF", "VSTR.DBF"}));
    EXPECT_EQ(ReadWholeFile(work() + "popa.dbf"), ReadWholeFile(user() + "POPA.DBF")); // its deleted record too
    EXPECT_FALSE(std::filesystem::exists(work() + "popa.fpt"));
    EXPECT_FALSE(std::filesystem::exists(work() + "vstr.dbf"));
}

TEST_F(CatalogueTest, FilteredCopyKeepsThePeriodAndShowsTwentyDots) {
    Fixtures({"racn", user() + "RACN.DBF", "fp", "20200101", "20201231"});
    const TableSources found = sources();
    TableCatalogue catalogue(session, ui, found);
    catalogue.filteredCopy(found.racn);
    EXPECT_EQ(ui.log, std::vector<std::string>{"RACN.DBF...................."});
    EXPECT_EQ(Fixtures({"check-copy", user() + "RACN.DBF", work() + "racn.dbf", "racndatu", "20200101", "20201231"}),
              "OK\n");

    // A start date after the end date: a table without records, still twenty dots.
    session.settings.Datumod = DayCountOf({2021, 1, 1});
    ui.log.clear();
    catalogue.filteredCopy(found.racn);
    EXPECT_EQ(ui.log, std::vector<std::string>{"RACN.DBF...................."});
    EXPECT_NE(Fixtures({"dump", work() + "racn.dbf"}).find("\"count\": 0,"), std::string::npos);
}

TEST_F(CatalogueTest, FilteredCopyOfAMissingTableEndsWithTheEngineText) {
    const TableSources found = sources();
    TableCatalogue catalogue(session, ui, found);
    try {
        catalogue.filteredCopy(found.stro);
        ADD_FAILURE() << "copied";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Table, file or directory does not exist.\rFile: " + root.file("STRO.DBF"));
    }
}

TEST_F(CatalogueTest, CompanyRecordIsTheFirstLiveOneMarked9999) {
    Fixtures({"kerno", user(), "PERS.DBF"});
    TableCatalogue catalogue(session, ui, sources());
    catalogue.readCompanyRecord();
    EXPECT_EQ(session.run.taxNumber, "12345678");
    EXPECT_EQ(session.run.firmName, "Podjetje Čšž d.o.o.");
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(CatalogueTest, WithoutACompanyRecordTheTaxNumberIsTheSetting) {
    Fixtures({"kerno", user(), "PERS.DBF", "--no-company"});
    session.run.firmName = "from an earlier run";
    TableCatalogue catalogue(session, ui, sources());
    catalogue.readCompanyRecord();
    EXPECT_EQ(session.run.taxNumber, "SI99999999");
    EXPECT_EQ(session.run.firmName, "");
}

struct BankCase {
    std::vector<std::string> fixtureOptions;
    std::string text;  // PTXTTEXT of the added record, trailing blanks dropped
    std::string text1; // PTXTTEX1
};

TEST_F(CatalogueTest, BankAccountTextsGetTheZir0Record) {
    const std::vector<BankCase> cases{
        {{},
         "SI56 0201 0001" + std::string(31, ' ') + "NLB d.d.",
         "SI56 1910 0000" + std::string(52, ' ') + "Delavska hranilnica"},
        {{"--long-account"},
         "SI56 0201 0001 2345 678 DOLGI RAČUN ŽIRO ČŠŽ 1234567NLB d.d.",
         "SI56 1910 0000" + std::string(52, ' ') + "Delavska hranilnica"},
        {{"--no-company"}, "", ""},
    };
    for (const BankCase& c : cases) {
        std::filesystem::remove_all(user());
        std::filesystem::create_directories(user());
        std::vector<std::string> arguments{"kerno", user(), "PERS.DBF", "PTXT.DBF", "KNZR.DBF"};
        arguments.insert(arguments.end(), c.fixtureOptions.begin(), c.fixtureOptions.end());
        Fixtures(arguments);
        TableCatalogue catalogue(session, ui, sources());
        catalogue.bankAccountTextCopy();
        const std::string dump = Fixtures({"dump", work() + "ptxt.dbf"});
        const auto row = [](const char* ozna, const char* ozn1, const char* ctrl, const char* index,
                            const std::string& text, const std::string& text1) {
            return std::string("{\"PTXTOZNA\": \"") + ozna + "\", \"PTXTOZN1\": \"" + ozn1 + "\", \"PTXTCTRL\": \"" +
                   ctrl + "\", \"PTXTINDX\": \"" + index + "\", \"PTXTTEXT\": \"" + text + "\", \"PTXTTEX1\": \"" +
                   text1 + "\"}";
        };
        EXPECT_EQ(dump.substr(dump.find("\"rows\"")), "\"rows\": [" + row("PERS", "999", "ZIR1", "1.0", "žiro 1", "") +
                                                          ", " + row("STRA", "001", "ABC", "5.0", "stran čšž", "") +
                                                          ", " + row("PERS", "999", "ZIR0", "0.0", c.text, c.text1) +
                                                          "]}\n")
            << c.text;
        EXPECT_NE(dump.find("\"count\": 3,"), std::string::npos) << dump;
    }
}

TEST_F(CatalogueTest, BankAccountTextsComeFromTheFolderOfKnzr) {
    // KNZR.DBF only in the data root: PERS.DBF and PTXT.DBF are read there, not from the user folder.
    Fixtures({"kerno", root.path(), "PERS.DBF", "PTXT.DBF", "KNZR.DBF"});
    Fixtures({"kerno", user(), "PERS.DBF", "PTXT.DBF", "--no-company"});
    TableCatalogue catalogue(session, ui, sources());
    catalogue.bankAccountTextCopy();
    const std::string dump = Fixtures({"dump", work() + "ptxt.dbf"});
    EXPECT_NE(dump.find("SI56 0201 0001" + std::string(31, ' ') + "NLB d.d."), std::string::npos) << dump;
}

} // namespace
} // namespace qx::test
