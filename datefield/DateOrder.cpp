#include "datefield/DateOrder.h"

#include "text/TextHelpers.h"

#include <cctype>
#include <cstdio>

namespace qx {

DateOrder DateOrderOfFormat(std::string_view format) {
    const std::string first = AsciiUpperCase(std::string(format.substr(0, 1)));
    if (first == "D")
        return DateOrder::DayFirst;
    if (first == "M")
        return DateOrder::MonthFirst;
    return DateOrder::YearFirst;
}

DateOrder DateOrderOfSystemFormat(std::string_view shortDateFormat) {
    // Some locales open the pattern with a quoted literal or a blank; the first letter is the first field.
    for (std::size_t i = 0; i < shortDateFormat.size(); ++i) {
        if (std::isalpha(static_cast<unsigned char>(shortDateFormat[i])))
            return DateOrderOfFormat(shortDateFormat.substr(i));
    }
    return DateOrder::YearFirst;
}

std::string DateFormatText(DateOrder order) {
    switch (order) {
    case DateOrder::DayFirst:
        return "dd/mm/yyyy";
    case DateOrder::MonthFirst:
        return "mm/dd/yyyy";
    case DateOrder::YearFirst:
        break;
    }
    return "yyyy/mm/dd";
}

std::string BlankDateMask(DateOrder order, char separator) {
    const std::string sep(1, separator);
    if (order == DateOrder::YearFirst)
        return "0000" + sep + "00" + sep + "00";
    return "00" + sep + "00" + sep + "0000";
}

std::string FormatDate(DayCount date, DateOrder order, char separator) {
    const CivilDate civil = CivilDateOf(date);
    char text[32];
    switch (order) {
    case DateOrder::DayFirst:
        std::snprintf(text, sizeof text, "%02d%c%02d%c%04d", civil.day, separator, civil.month, separator, civil.year);
        break;
    case DateOrder::MonthFirst:
        std::snprintf(text, sizeof text, "%02d%c%02d%c%04d", civil.month, separator, civil.day, separator, civil.year);
        break;
    case DateOrder::YearFirst:
        std::snprintf(text, sizeof text, "%04d%c%02d%c%02d", civil.year, separator, civil.month, separator, civil.day);
        break;
    }
    return text;
}

} // namespace qx
