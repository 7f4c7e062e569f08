// The run behind "Začni" on a sample installation, through the operator interface.
#include "tests/run/RunFixture.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "run/ErrorGuard.h"
#include "run/ExportRun.h"
#include "settings/SettingsFiles.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

namespace qx::test {
namespace {

using ::testing::ElementsAreArray;

const char* const kFailed = "Prepis podatkov ni bil uspešen!";

struct DatedTable {
    const char* copy;
    const char* source;
    const char* field;
};
// The dated tables of DRUGA._G (it keeps GOTG and GOTP too).
const DatedTable kDated[] = {
    {"racn.dbf", "RACN.DBF", "racndatu"}, {"racp.dbf", "RACP.DBF", "racpdatu"}, {"gotg.dbf", "GOTG.DBF", "racndatu"},
    {"gotp.dbf", "GOTP.DBF", "racpdatu"}, {"stro.dbf", "STRO.DBF", "strodatd"}, {"ptnl.dbf", "PTNL.DBF", "ptnldtrz"},
    {"prac.dbf", "PRAC.DBF", "pracdatu"}, {"prap.dbf", "PRAP.DBF", "prapdatu"}, {"knzr.dbf", "KNZR.DBF", "knzrdati"},
};

class ExportRunTest : public RunFixture {
protected:
    std::vector<std::string> workFolderTables() {
        std::vector<std::string> names;
        for (const platform::DirEntry& entry : platform::ListDirectory(session.selection.workDir, "*.dbf"))
            names.push_back(entry.name);
        std::sort(names.begin(), names.end());
        return names;
    }
    // The source of a table as the run resolves it: the user folder, else the data root.
    std::string sourceOf(const std::string& user, const std::string& name) {
        const std::string own = userFolder(user) + name;
        return platform::PathExists(own) ? own : root() + name;
    }
    int recordCount(const std::string& path) {
        const std::string dump = python(std::string(QX_SOURCE_DIR) + "/tests/dbf/dbf_fixtures.py dump " + path);
        const auto at = dump.find("\"count\": ");
        return at == std::string::npos ? -1 : std::stoi(dump.substr(at + 9));
    }
    void run() {
        RunGuarded(ui, [&] { StartTransfer(session, ui); });
    }
    // The log up to the end of the copies.
    std::vector<std::string> copyLog() {
        auto end = std::find(ui.log.begin(), ui.log.end(), "Stiskanje podatkov");
        if (end != ui.log.begin() && end != ui.log.end())
            --end; // the empty line before it
        return {ui.log.begin(), end};
    }
    TUserSettings dateMode(const std::string& user, DayCount from) {
        TUserSettings settings = sampleSettings(user);
        settings.Kopiraj1 = false;
        settings.Kopiraj2 = true;
        settings.Datumod = from;
        return settings;
    }
};

TEST_F(ExportRunTest, CopyAllModeCopiesEveryTableWholeWithoutAskingForTheEndDate) {
    TUserSettings settings = sampleSettings("FIRMA.P");
    settings.AskDate = true;
    writeSettings("FIRMA.P", settings);
    selectUser("FIRMA.P");
    run();

    EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(ui.endDateQuestions, 0);
    EXPECT_EQ(session.run.endDateKey, FormatYyyymmdd(platform::Today()));
    EXPECT_THAT(copyLog(), ElementsAreArray({"Prepis podatkov v delovno mapo", "", "POPA.DBF", "PERS.DBF", "VSTR.DBF",
                                             "ORGE.DBF", "MATE.DBF", "RACN.DBF", "RACP.DBF", "STRO.DBF", "PTNL.DBF",
                                             "KNZR.DBF", "PRAC.DBF", "PRAP.DBF"}));
    EXPECT_THAT(workFolderTables(),
                ElementsAreArray({"knzr.dbf", "mate.dbf", "orge.dbf", "pers.dbf", "popa.dbf", "prac.dbf", "prap.dbf",
                                  "ptnl.dbf", "ptxt.dbf", "racn.dbf", "racp.dbf", "stro.dbf", "vstr.dbf"}));
    for (const char* name : {"POPA.DBF", "PERS.DBF", "RACN.DBF", "KNZR.DBF", "PRAP.DBF"}) {
        std::string copy = name;
        std::transform(copy.begin(), copy.end(), copy.begin(), ::tolower);
        EXPECT_EQ(ReadWholeFile(workFile(copy)), ReadWholeFile(sourceOf("FIRMA.P", name))) << name;
    }
    EXPECT_EQ(session.run.taxNumber.size(), 8u);
    EXPECT_FALSE(session.run.firmName.empty());
    // No descriptor could be fetched, so the upload fails after a sound archive.
    EXPECT_EQ(ui.messages.back(), kFailed);
}

TEST_F(ExportRunTest, DateModeCopiesTheDocumentsOfThePeriodWithProgressDots) {
    writeSettings("DRUGA._G", dateMode("DRUGA._G", DayCountOf({2025, 1, 1})));
    selectUser("DRUGA._G");
    ui.endDateAnswer = DayCountOf({2025, 6, 30});
    run();

    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(ui.endDateQuestions, 1);
    EXPECT_EQ(session.run.endDateKey, "20250630");
    EXPECT_EQ(session.run.endDateText, "30.06.2025");
    const std::string dots(20, '.');
    EXPECT_THAT(copyLog(),
                ElementsAreArray(std::vector<std::string>{
                    "Prepis podatkov v delovno mapo", "", "POPA.DBF", "PERS.DBF", "VSTR.DBF", "ORGE.DBF", "MATE.DBF",
                    "RACN.DBF" + dots, "RACP.DBF" + dots, "GOTG.DBF" + dots, "GOTP.DBF" + dots, "STRO.DBF" + dots,
                    "PTNL.DBF" + dots, "PRAC.DBF" + dots, "PRAP.DBF" + dots, "KNZR.DBF" + dots}));
    for (const DatedTable& table : kDated) {
        const std::string verdict = python(std::string(QX_SOURCE_DIR) + "/tests/dbf/dbf_fixtures.py check-copy " +
                                           sourceOf("DRUGA._G", table.source) + " " + workFile(table.copy) + " " +
                                           table.field + " 20250101 20250630");
        EXPECT_EQ(verdict, "OK\n") << table.copy;
        EXPECT_GT(recordCount(workFile(table.copy)), 0) << table.copy;
    }
}

TEST_F(ExportRunTest, EndDateDialogClosedOrNotAskedLeavesToday) {
    struct Case {
        bool askDate;
        std::optional<DayCount> answer;
        int questions;
    };
    for (const Case& c : {Case{true, std::nullopt, 1}, Case{false, DayCountOf({2020, 1, 1}), 0}}) {
        TUserSettings settings = dateMode("DRUGA._G", DayCountOf({2025, 12, 1}));
        settings.AskDate = c.askDate;
        settings.Racn = settings.Stro = settings.Ptnl = settings.Doba = settings.Ziro = false;
        writeSettings("DRUGA._G", settings);
        selectUser("DRUGA._G");
        ui.endDateAnswer = c.answer;
        ui.endDateQuestions = 0;
        run();
        EXPECT_EQ(ui.endDateQuestions, c.questions);
        EXPECT_EQ(session.run.endDate, platform::Today());
        EXPECT_EQ(session.run.endDateText, FormatDayMonthYear(platform::Today()));
    }
}

TEST_F(ExportRunTest, AnEmptyPeriodWritesEveryDatedTableWithoutRecords) {
    struct Case {
        const char* what;
        DayCount from;
        DayCount answer;
        const char* endKey;
    };
    const Case cases[] = {
        {"end date confirmed empty", DayCountOf({2023, 1, 1}), kZeroDate, "18991230"},
        {"start after the end", DayCountOf({2025, 7, 1}), DayCountOf({2025, 6, 30}), "20250630"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings("DRUGA._G", dateMode("DRUGA._G", c.from));
        selectUser("DRUGA._G");
        ui.endDateAnswer = c.answer;
        run();
        ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
        EXPECT_EQ(session.run.endDateKey, c.endKey);
        for (const DatedTable& table : kDated)
            EXPECT_EQ(recordCount(workFile(table.copy)), 0) << table.copy;
        EXPECT_EQ(ReadWholeFile(workFile("popa.dbf")), ReadWholeFile(sourceOf("DRUGA._G", "POPA.DBF")));
    }
}

TEST_F(ExportRunTest, WithEveryGroupOffOnlyTheUndatedTablesAreCopied) {
    TUserSettings settings = sampleSettings("FIRMA.P");
    settings.Racn = settings.Stro = settings.Ptnl = settings.Doba = settings.Ziro = false;
    writeSettings("FIRMA.P", settings);
    selectUser("FIRMA.P");
    run();
    EXPECT_THAT(workFolderTables(), ElementsAreArray({"mate.dbf", "orge.dbf", "pers.dbf", "popa.dbf", "vstr.dbf"}));
}

TEST_F(ExportRunTest, WithoutSettingsFileTheDialogIsOfferedAndTheRunEndsWhenItIsCancelled) {
    selectUser("KOVINAR22.P");
    std::filesystem::remove(exeFolder() + "qx.ini");
    run();
    EXPECT_THAT(ui.settingsCaptions, ElementsAreArray({"Nastavitve za uporabnika KOVINAR22.P"}));
    EXPECT_THAT(ui.messages, ElementsAreArray({"Ne najedem nastavitvene datoteke."}));
    EXPECT_FALSE(ui.logVisible);
    EXPECT_FALSE(platform::PathExists(exeFolder() + "qx.ini"));
}

TEST_F(ExportRunTest, SettingsConfirmedInTheOfferedDialogAreStoredAndUsed) {
    selectUser("KOVINAR22.P");
    TUserSettings confirmed = sampleSettings("FIRMA.P");
    confirmed.Dest = dir_.path() + "izhod";
    confirmed.Racn = confirmed.Stro = confirmed.Ptnl = confirmed.Doba = confirmed.Ziro = false;
    ui.settingsAnswer = confirmed;
    run();
    EXPECT_TRUE(platform::IsExistingFile(userFolder("KOVINAR22.P") + "QX.INI"));
    EXPECT_EQ(session.selection.outputDir, dir_.path() + "izhod");
    EXPECT_TRUE(platform::IsExistingFile(dir_.path() + "izhod/KOVINAR2.ZIP"));
}

TEST_F(ExportRunTest, AnOutputFolderThatCannotBeMadeEndsTheRunBeforeTheEndDate) {
    TUserSettings settings = dateMode("DRUGA._G", DayCountOf({2025, 1, 1}));
    writeSettings("DRUGA._G", settings);
    selectUser("DRUGA._G");
    std::filesystem::remove(exeFolder() + "qx.ini");
    WriteWholeFile(dir_.path() + "a-file", "x");
    session.selection.outputDir = dir_.path() + "a-file/PRENOS";
    run();
    EXPECT_THAT(ui.messages, ElementsAreArray({"Ne morem pisati v mapo " + dir_.path() + "a-file/PRENOS"}));
    EXPECT_EQ(ui.endDateQuestions, 0);
    EXPECT_FALSE(platform::PathExists(exeFolder() + "qx.ini"));
}

TEST_F(ExportRunTest, TheSavedChoiceIsWrittenAlsoWhenALaterStepFails) {
    writeSettings("DRUGA._G", dateMode("DRUGA._G", DayCountOf({2025, 1, 1})));
    selectUser("DRUGA._G");
    std::filesystem::remove(exeFolder() + "qx.ini");
    WriteWholeFile(userFolder("DRUGA._G") + "RACN.DBF", "not a table");
    ui.endDateAnswer = DayCountOf({2025, 6, 30});
    run();

    ASSERT_EQ(ui.errors.size(), 1u);
    const std::string ini = exeFolder() + "qx.ini";
    EXPECT_EQ(platform::IniReadString(ini, "Setup", "Skupno", AnsiText()).bytes, platform::UpperCase(root()));
    EXPECT_EQ(platform::IniReadString(ini, "Setup", "Userdir", AnsiText()).bytes, "DRUGA._G");
    // The copies made before the failure stay, and the log stays shown.
    EXPECT_TRUE(platform::IsExistingFile(workFile("mate.dbf")));
    EXPECT_FALSE(platform::PathExists(workFile("racn.dbf")));
    EXPECT_TRUE(ui.logVisible);
    EXPECT_EQ(ui.log.back(), "MATE.DBF");
}

TEST_F(ExportRunTest, ARunNeedsASelectedUserAndNeverStartsTwice) {
    selectUser("FIRMA.P");
    ui.user.reset();
    run();
    EXPECT_THAT(ui.messages, ElementsAreArray({"Izberite uporabnika na seznamu."}));

    ui.messages.clear();
    ui.user = "FIRMA.P";
    session.runInProgress = true;
    run();
    EditUserSettings(session, ui);
    EXPECT_THAT(ui.messages, ElementsAreArray({"Prenos podatkov že poteka. Počakajte, da se konča.",
                                               "Prenos podatkov že poteka. Počakajte, da se konča."}));
    EXPECT_TRUE(ui.log.empty());
    EXPECT_TRUE(ui.settingsCaptions.empty());
}

} // namespace
} // namespace qx::test
