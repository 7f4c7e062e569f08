#pragma once
// The stored settings of the user read or confirmed last: one field per key of QX.INI.
#include "text/Dates.h"
#include <string>

namespace qx {

struct TUserSettings {
    std::string DS;
    std::string Dest;
    std::string Email;
    bool Mail = false;
    bool Message = false;
    bool Outlook = false;
    bool FTP = false;
    std::string Servis;
    std::string ID;
    bool AskDate = false;
    bool Kopiraj1 = false;
    bool Kopiraj2 = false;
    DayCount Datumod = kZeroDate;
    bool Doba = false;
    bool Racn = false;
    bool Stro = false;
    bool Ptnl = false;
    bool Mate = false;
    bool Orge = false;
    bool Ziro = false;
    bool Vstr = false;
    bool operator==(const TUserSettings&) const = default;
};

} // namespace qx
