#pragma once
// The fifteen KERNO tables of a user, by the names the data folders give them. The copies in
// the work folder carry the same names in lower case.
#include <array>

namespace qx::tables {

inline constexpr const char* kPopa = "POPA.DBF";
inline constexpr const char* kPers = "PERS.DBF";
inline constexpr const char* kRacn = "RACN.DBF";
inline constexpr const char* kRacp = "RACP.DBF";
inline constexpr const char* kPrac = "PRAC.DBF";
inline constexpr const char* kPrap = "PRAP.DBF";
inline constexpr const char* kGotg = "GOTG.DBF";
inline constexpr const char* kGotp = "GOTP.DBF";
inline constexpr const char* kMate = "MATE.DBF";
inline constexpr const char* kPtxt = "PTXT.DBF";
inline constexpr const char* kStro = "STRO.DBF";
inline constexpr const char* kPtnl = "PTNL.DBF";
inline constexpr const char* kKnzr = "KNZR.DBF";
inline constexpr const char* kVstr = "VSTR.DBF";
inline constexpr const char* kOrge = "ORGE.DBF";

inline constexpr std::array<const char*, 15> kAll = {kPopa, kPers, kRacn, kRacp, kPrac, kPrap, kGotg, kGotp,
                                                     kMate, kPtxt, kStro, kPtnl, kKnzr, kVstr, kOrge};

} // namespace qx::tables
