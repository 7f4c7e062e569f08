// A date text from any bytes, in every order the date field knows: a date that is read is a
// real one, and "dd.mm.yyyy" written from it reads back as the same day.
#include "datefield/DateParser.h"
#include "fuzz/Check.h"
#include "text/Dates.h"

#include <cstddef>
#include <cstdint>
#include <string>

using qx::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto day = qx::ParseDayMonthYear(text)) {
        const qx::CivilDate date = qx::CivilDateOf(*day);
        Check(date.month >= 1 && date.month <= 12 && date.day >= 1 &&
              date.day <= qx::DaysInMonth(date.year, date.month));
        if (date.year >= 1 && date.year <= 9999)
            Check(qx::ParseDayMonthYear(qx::FormatDayMonthYear(*day)) == day);
    }
    for (qx::DateOrder order : {qx::DateOrder::DayFirst, qx::DateOrder::MonthFirst, qx::DateOrder::YearFirst}) {
        qx::DateParseRules rules;
        rules.order = order;
        qx::ParseDate(text, rules);
        rules.separator = '/';
        rules.epoch = 1900;
        rules.zeroDateIsValid = false;
        qx::ParseDate(text, rules);
    }
    return 0;
}
