#pragma once
// Values of one export run, kept until the next run replaces them.
#include "text/Dates.h"
#include <string>

namespace qx {

struct RunValues {
    DayCount endDate = kZeroDate;
    std::string endDateKey;  // "yyyymmdd", upper bound of every date filter
    std::string endDateText; // "dd.mm.yyyy", for the notice
    std::string taxNumber;   // PERSDAVS of the company record, else the DS setting
    std::string firmName;    // PERSFIRM of the company record (UTF-8), empty when none
    int fileCount = 0;       // files in the work folder just before packing
};

} // namespace qx
