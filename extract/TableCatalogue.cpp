#include "extract/TableCatalogue.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "text/TextHelpers.h"

#include <utility>

namespace qx {
namespace {

struct CatalogueEntry {
    const char* source;
    const char* copy;
    const char* openingPiece; // date filter up to the start date; empty for undated tables
    const char* closingPiece; // between the start date and the end date
};

// Indexed by KernoTable. RACN's opening piece alone has no blanks around ">=".
constexpr std::array<CatalogueEntry, kKernoTableCount> kCatalogue{{
    {"POPA.DBF", "popa.dbf", "", ""},
    {"PERS.DBF", "pers.dbf", "", ""},
    {"VSTR.DBF", "vstr.dbf", "", ""},
    {"ORGE.DBF", "orge.dbf", "", ""},
    {"MATE.DBF", "mate.dbf", "", ""},
    {"PTXT.DBF", "ptxt.dbf", "", ""},
    {"RACN.DBF", "racn.dbf", "dtos(racndatu)>=", ".and.dtos(racndatu)<="},
    {"RACP.DBF", "racp.dbf", "dtos(racpdatu) >= ", ".and.dtos(racpdatu)<="},
    {"GOTG.DBF", "gotg.dbf", "dtos(racndatu) >= ", ".and.dtos(racndatu)<="},
    {"GOTP.DBF", "gotp.dbf", "dtos(racpdatu) >= ", ".and.dtos(racpdatu)<="},
    {"STRO.DBF", "stro.dbf", "dtos(strodatd) >= ", ".and.dtos(strodatd)<="},
    {"PTNL.DBF", "ptnl.dbf", "dtos(ptnldtrz) >= ", ".and.dtos(ptnldtrz)<="},
    {"KNZR.DBF", "knzr.dbf", "dtos(knzrdati) >= ", ".and.dtos(knzrdati)<="},
    {"PRAC.DBF", "prac.dbf", "dtos(pracdatu) >= ", ".and.dtos(pracdatu)<="},
    {"PRAP.DBF", "prap.dbf", "dtos(prapdatu) >= ", ".and.dtos(prapdatu)<="},
}};

const CatalogueEntry& EntryOf(KernoTable table) { return kCatalogue[static_cast<std::size_t>(table)]; }

const char* const kCompanyQuery = "PERSCTRL=\"9999\"";
const char* const kBankTextQuery =
    "(PTXTOZNA=\"PERS\".AND.PTXTOZN1=\"999\".AND.LEFT(PTXTCTRL,3)=\"ZIR\").OR.(PTXTOZNA=\"STRA\")";

// Closes a table object on every way out of a step.
class ClosesOnExit {
public:
    explicit ClosesOnExit(TableObject& table) : table_(table) {}
    ~ClosesOnExit() { table_.close(); }
    ClosesOnExit(const ClosesOnExit&) = delete;
    ClosesOnExit& operator=(const ClosesOnExit&) = delete;

private:
    TableObject& table_;
};

std::string WithExtension(const std::string& fileName, const std::string& extension) {
    return fileName.substr(0, fileName.find_last_of('.')) + extension;
}

} // namespace

std::string SourceName(KernoTable table) { return EntryOf(table).source; }

std::string CopyName(KernoTable table) { return EntryOf(table).copy; }

std::string DateFilter(KernoTable table, const std::string& startKey, const std::string& endKey) {
    const CatalogueEntry& entry = EntryOf(table);
    return std::string(entry.openingPiece) + "\"" + startKey + "\"" + entry.closingPiece + "\"" + endKey + "\"";
}

bool SourcePaths::found(KernoTable table) const {
    return !of(table).empty() && platform::IsExistingFile(platform::ResolvePath(of(table)));
}

SourcePaths ResolveSourcePaths(const std::string& dataRoot, const std::string& userDir) {
    SourcePaths sources;
    const std::string userFolder = AppendBackslash(dataRoot + userDir);
    for (std::size_t i = 0; i < kKernoTableCount; ++i) {
        const std::string name = kCatalogue[i].source;
        std::string& path = sources.paths[i];
        if (platform::IsExistingFile(platform::ResolvePath(userFolder + name)))
            path = userFolder + name;
        else if (static_cast<KernoTable>(i) != KernoTable::Orge ||
                 platform::IsExistingFile(platform::ResolvePath(dataRoot + name)))
            path = dataRoot + name;
    }
    return sources;
}

TableCatalogue::TableCatalogue(OperatorInterface& op, SourcePaths sources, std::string workDir)
    : op_(op), sources_(std::move(sources)), workDir_(std::move(workDir)) {}

void TableCatalogue::logLine(const std::string& line) {
    op_.appendLine(line);
    op_.processMessages();
}

// A table with memo fields is unusable without its memo file, so the memo file travels with it.
void TableCatalogue::wholeFileCopy(KernoTable table) {
    const std::string& source = sources_.of(table);
    if (source.empty())
        return;
    logLine(SourceName(table));
    platform::CopyFileReplacing(platform::ResolvePath(source), workDir_ + CopyName(table));
    for (const char* memoExtension : {".FPT", ".DBT"}) {
        const std::string memo = platform::ResolvePath(WithExtension(source, memoExtension));
        if (platform::IsExistingFile(memo))
            platform::CopyFileReplacing(memo, workDir_ + platform::LowerCase(WithExtension(CopyName(table), memoExtension)));
    }
}

void TableCatalogue::filteredCopy(KernoTable table, const std::string& startKey, const std::string& endKey) {
    const std::string& source = sources_.of(table);
    ClosesOnExit closes(table1_);
    table1_.open(platform::FolderOf(source), SourceName(table));
    // The log shows one dot per fifth percent; 0 is no report (its key code would be 0).
    table1_.setProgressHook([this](int percent) {
        if (percent > 0 && percent % 5 == 0) {
            op_.appendToLastLine(".");
            op_.processMessages();
        }
    });
    logLine(SourceName(table));
    table1_.query(DateFilter(table, startKey, endKey));
    table1_.goTop();
    table1_.copyFile(workDir_ + CopyName(table));
    table1_.setProgressHook(nullptr);
}

void TableCatalogue::readCompanyRecord(const TUserSettings& settings, RunValues& run) {
    ClosesOnExit closes(table1_);
    table1_.open(platform::FolderOf(sources_.of(KernoTable::Pers)), SourceName(KernoTable::Pers));
    table1_.query(kCompanyQuery);
    table1_.goTop();
    if (table1_.eof()) {
        run.taxNumber = settings.DS;
        run.firmName.clear();
    } else {
        run.taxNumber = platform::FromAnsi(table1_.fieldText("PERSDAVS"));
        run.firmName = platform::FromAnsi(table1_.fieldText("PERSFIRM"));
    }
}

// Both source tables are opened in KNZR.DBF's folder, whatever their own source paths say.
void TableCatalogue::bankAccountTextCopy() {
    const std::string folder = platform::FolderOf(sources_.of(KernoTable::Knzr));
    ClosesOnExit closesCompany(table2_);
    table2_.open(folder, SourceName(KernoTable::Pers));
    table2_.query(kCompanyQuery);
    table2_.goTop();
    {
        ClosesOnExit closesTexts(table1_);
        table1_.open(folder, SourceName(KernoTable::Ptxt));
        table1_.query(kBankTextQuery);
        table1_.goTop();
        table1_.copyFile(workDir_ + CopyName(KernoTable::Ptxt));
    }
    ClosesOnExit closesCopy(table1_);
    table1_.open(workDir_, SourceName(KernoTable::Ptxt));
    table1_.append();
    table1_.setText("PTXTOZNA", AnsiText("PERS"));
    table1_.setText("PTXTOZN1", AnsiText("999"));
    table1_.setText("PTXTCTRL", AnsiText("ZIR0"));
    table1_.setInteger("PTXTINDX", 0);
    table1_.setText("PTXTTEXT",
                    AnsiText(PadRight(table2_.fieldText("PERSRAC1"), 45, ' ').bytes + table2_.fieldText("PERSBANK").bytes));
    table1_.setText("PTXTTEX1",
                    AnsiText(PadRight(table2_.fieldText("PERSRAC3"), 66, ' ').bytes + table2_.fieldText("PERSRACI").bytes));
    table1_.post();
}

} // namespace qx
