#pragma once
// The fifteen KERNO tables of one user: where each source is found, how it is copied
// into the work folder (whole, or filtered on its document date), the company record
// and the bank-account text copy. The export run calls these steps in its fixed order.
#include "app/OperatorInterface.h"
#include "extract/RunValues.h"
#include "extract/TableObject.h"
#include "settings/UserSettings.h"

#include <array>
#include <cstddef>
#include <string>

namespace qx {

enum class KernoTable { Popa, Pers, Vstr, Orge, Mate, Ptxt, Racn, Racp, Gotg, Gotp, Stro, Ptnl, Knzr, Prac, Prap };
constexpr std::size_t kKernoTableCount = 15;

// "RACN.DBF": the name looked for in the user folder and the data root.
std::string SourceName(KernoTable table);
// "racn.dbf": the name of the copy in the work folder.
std::string CopyName(KernoTable table);
// The date filter of a dated table between two "yyyymmdd" keys, exactly as the engine receives it.
std::string DateFilter(KernoTable table, const std::string& startKey, const std::string& endKey);

// The source path of every table, resolved once per run: the user folder's file when it
// exists, else the data root's (existing or not). ORGE.DBF found in neither has an empty path.
struct SourcePaths {
    std::array<std::string, kKernoTableCount> paths;

    const std::string& of(KernoTable table) const { return paths[static_cast<std::size_t>(table)]; }
    bool found(KernoTable table) const; // the path is set and the file is there
};

// `dataRoot` ends in the path separator; `userDir` is the user directory's name.
SourcePaths ResolveSourcePaths(const std::string& dataRoot, const std::string& userDir);

class TableCatalogue {
public:
    TableCatalogue(OperatorInterface& op, SourcePaths sources, std::string workDir);

    // The source file copied as it stands (with its memo file, when it has one); a missing source is skipped quietly.
    void wholeFileCopy(KernoTable table);
    // The records dated from `startKey` to `endKey` (inclusive), on Table1; progress dots in the log.
    void filteredCopy(KernoTable table, const std::string& startKey, const std::string& endKey);
    // Tax number and firm name from the company record of PERS.DBF; the DS setting when there is none.
    void readCompanyRecord(const TUserSettings& settings, RunValues& run);
    // ptxt.dbf: the bank-account and STRA texts, plus the "ZIR0" record built from the company record.
    void bankAccountTextCopy();

    TableObject& table1() { return table1_; }
    TableObject& table2() { return table2_; }

private:
    void logLine(const std::string& line);

    OperatorInterface& op_;
    SourcePaths sources_;
    std::string workDir_;
    TableObject table1_;
    TableObject table2_;
};

} // namespace qx
