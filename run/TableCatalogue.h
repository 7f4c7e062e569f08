#pragma once
// The fifteen KERNO tables of one user: where each source is found, how it is copied
// into the work folder (whole, or filtered on its document date), the company record
// and the bank-account text copy. The export run calls these steps in its fixed order.
#include "run/TableObject.h"
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <optional>
#include <string>

namespace qx {

// A dated table: its source path and the two fixed pieces of its date filter.
struct CatalogueTable {
    std::string source;
    std::string openingPiece; // up to the start date, e.g. "dtos(racpdatu) >= "
    std::string closingPiece; // between the dates, e.g. ".and.dtos(racpdatu)<="

    // The filter exactly as the engine receives it; both keys are "yyyymmdd".
    std::string filter(const std::string& startKey, const std::string& endKey) const;
};

// Source paths, resolved once per run: the user folder's file when it exists there, else
// the data root's, whether or not it exists. ORGE.DBF found in neither place is left out.
struct TableSources {
    std::string popa, pers, vstr, mate, ptxt;
    std::optional<std::string> orge;
    CatalogueTable racn, racp, gotg, gotp, stro, ptnl, knzr, prac, prap;
};

// `dataRoot` ends in the path separator; `userDir` is the user directory's name.
TableSources ResolveTableSources(const std::string& dataRoot, const std::string& userDir);

class TableCatalogue {
public:
    // Copies go to the session's work folder; the date filters run from Datumod to the end date key.
    TableCatalogue(Session& session, OperatorInterface& ui, const TableSources& sources);

    // Logs the upper-case source name and copies the file as it stands under its lower-case
    // name, with its memo file when it has one. A missing source is skipped quietly.
    void wholeFileCopy(const std::string& source);
    // The records dated from Datumod to the end date (inclusive), on Table1; progress dots in the log.
    void filteredCopy(const CatalogueTable& table);
    // Tax number and firm name of the run from the company record of PERS.DBF; the DS setting when there is none.
    void readCompanyRecord();
    // ptxt.dbf: the bank-account and STRA texts, plus the "ZIR0" record built from the company record.
    void bankAccountTextCopy();

private:
    void logLine(const std::string& line);

    Session& session_;
    OperatorInterface& ui_;
    TableSources sources_;
    TableObject table1_;
    TableObject table2_;
};

} // namespace qx
