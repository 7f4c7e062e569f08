#include "run/TableCatalogue.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/TableNames.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

namespace qx {
namespace {

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

bool FileThere(const std::string& path) {
    return platform::IsExistingFile(platform::ResolvePath(path));
}

std::string SourcePath(const std::string& userFolder, const std::string& dataRoot, const std::string& name) {
    return FileThere(userFolder + name) ? userFolder + name : dataRoot + name;
}

// Every opening piece but RACN's has a blank on each side of ">="; no closing piece has blanks.
CatalogueTable Dated(const std::string& userFolder, const std::string& dataRoot, const std::string& name,
                     const std::string& dateField, bool blanksAroundOperator) {
    return {SourcePath(userFolder, dataRoot, name), "dtos(" + dateField + ")" + (blanksAroundOperator ? " >= " : ">="),
            ".and.dtos(" + dateField + ")<="};
}

} // namespace

std::string CatalogueTable::filter(const std::string& startKey, const std::string& endKey) const {
    return openingPiece + "\"" + startKey + "\"" + closingPiece + "\"" + endKey + "\"";
}

TableSources ResolveTableSources(const std::string& dataRoot, const std::string& userDir) {
    const std::string user = platform::AppendBackslash(dataRoot + userDir);
    TableSources s;
    s.popa = SourcePath(user, dataRoot, tables::kPopa);
    s.pers = SourcePath(user, dataRoot, tables::kPers);
    s.vstr = SourcePath(user, dataRoot, tables::kVstr);
    s.mate = SourcePath(user, dataRoot, tables::kMate);
    s.ptxt = SourcePath(user, dataRoot, tables::kPtxt);
    const std::string orge = SourcePath(user, dataRoot, tables::kOrge);
    if (FileThere(orge))
        s.orge = orge;
    s.racn = Dated(user, dataRoot, tables::kRacn, "racndatu", false);
    s.racp = Dated(user, dataRoot, tables::kRacp, "racpdatu", true);
    s.gotg = Dated(user, dataRoot, tables::kGotg, "racndatu", true);
    s.gotp = Dated(user, dataRoot, tables::kGotp, "racpdatu", true);
    s.stro = Dated(user, dataRoot, tables::kStro, "strodatd", true);
    s.ptnl = Dated(user, dataRoot, tables::kPtnl, "ptnldtrz", true);
    s.knzr = Dated(user, dataRoot, tables::kKnzr, "knzrdati", true);
    s.prac = Dated(user, dataRoot, tables::kPrac, "pracdatu", true);
    s.prap = Dated(user, dataRoot, tables::kPrap, "prapdatu", true);
    return s;
}

TableCatalogue::TableCatalogue(Session& session, OperatorInterface& ui, const TableSources& sources)
    : session_(session), ui_(ui), sources_(sources) {}

void TableCatalogue::logLine(const std::string& line) {
    ui_.appendLine(line);
    ui_.processMessages();
}

// Only the table file: the archive packs "*.dbf" alone, and a memo file beside the copy would
// only make the work folder's count disagree with the archive's. A missing source is no
// table of this user; one that is there and cannot be copied whole ends the run.
void TableCatalogue::wholeFileCopy(const std::string& source) {
    const std::string name = platform::FileNameOf(source);
    const std::string target = session_.selection.workDir + platform::LowerCase(name);
    logLine(platform::UpperCase(name));
    const std::string from = platform::ResolvePath(source);
    if (!platform::PathExists(from))
        return;
    std::string reason;
    if (!platform::CopyFileReplacing(from, target, &reason))
        throw Error("Cannot copy file \"" + source + "\" to \"" + target + "\": " + reason);
    // A damaged table copied byte for byte is still damaged: the engine says so by its name.
    ClosesOnExit closes(table1_);
    table1_.open(platform::FolderOf(source), name);
}

void TableCatalogue::filteredCopy(const CatalogueTable& table) {
    const std::string name = platform::FileNameOf(table.source);
    ClosesOnExit closes(table1_);
    table1_.open(platform::FolderOf(table.source), name);
    // The log shows one dot per fifth percent; 0 is no report (its key code would be 0).
    table1_.setProgressHook([this](int percent) {
        if (percent > 0 && percent % 5 == 0) {
            ui_.appendToLastLine(".");
            ui_.processMessages();
        }
    });
    logLine(platform::UpperCase(name));
    table1_.query(table.filter(FormatYyyymmdd(session_.settings.Datumod), session_.run.endDateKey));
    table1_.goTop();
    table1_.copyFile(session_.selection.workDir + platform::LowerCase(name));
    table1_.setProgressHook(nullptr);
}

void TableCatalogue::readCompanyRecord() {
    RunValues& run = session_.run;
    ClosesOnExit closes(table1_);
    table1_.open(platform::FolderOf(sources_.pers), platform::FileNameOf(sources_.pers));
    table1_.query(kCompanyQuery);
    table1_.goTop();
    if (table1_.eof()) {
        run.taxNumber = session_.settings.DS;
        run.firmName.clear();
    } else {
        run.taxNumber = platform::FromAnsi(table1_.fieldText("PERSDAVS"));
        run.firmName = platform::FromAnsi(table1_.fieldText("PERSFIRM"));
    }
}

// Both source tables are opened in KNZR.DBF's folder, whatever their own source paths say.
void TableCatalogue::bankAccountTextCopy() {
    const std::string folder = platform::FolderOf(sources_.knzr.source);
    const std::string& workDir = session_.selection.workDir;
    ClosesOnExit closesCompany(table2_);
    table2_.open(folder, tables::kPers);
    table2_.query(kCompanyQuery);
    table2_.goTop();
    {
        ClosesOnExit closesTexts(table1_);
        table1_.open(folder, tables::kPtxt);
        table1_.query(kBankTextQuery);
        table1_.goTop();
        table1_.copyFile(workDir + platform::LowerCase(tables::kPtxt));
    }
    ClosesOnExit closesCopy(table1_);
    table1_.open(workDir, tables::kPtxt);
    table1_.append();
    table1_.setText("PTXTOZNA", AnsiText("PERS"));
    table1_.setText("PTXTOZN1", AnsiText("999"));
    table1_.setText("PTXTCTRL", AnsiText("ZIR0"));
    table1_.setInteger("PTXTINDX", 0);
    const auto padded = [&](const char* field, std::uint16_t width, const char* tail) {
        return AnsiText(PadRight(table2_.fieldText(field), width, ' ').bytes + table2_.fieldText(tail).bytes);
    };
    table1_.setText("PTXTTEXT", padded("PERSRAC1", 45, "PERSBANK"));
    table1_.setText("PTXTTEX1", padded("PERSRAC3", 66, "PERSRACI"));
    table1_.post();
}

} // namespace qx
