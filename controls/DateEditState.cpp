#include "controls/DateEditState.h"

#include "app/Error.h"

namespace qx {
namespace {

constexpr const char* kInvalidDate = "Invalid Date: ";

bool IsRepresentable(DayCount date) {
    return date >= DayCountOf({1, 1, 1}) && date <= DayCountOf({9999, 12, 31});
}

} // namespace

DateEditState::DateEditState(std::string_view systemShortDateFormat) {
    rules_.zeroDateIsValid = true;
    rules_.epoch = DefaultEpoch(CivilDateOf(Today()).year);
    applyFormat(DateFormatText(DateOrderOfSystemFormat(systemShortDateFormat)));
    useOSDateFormat_ = true;
    commit(Today());
}

std::optional<DayCount> DateEditState::parse(std::string_view text) const {
    return ParseDate(text, rules_);
}

DayCount DateEditState::dateFor(std::string_view text) const {
    return parse(text).value_or(lastValidDate_);
}

void DateEditState::commit(DayCount date) {
    if (date == kZeroDate && !rules_.zeroDateIsValid)
        throw Error(kInvalidDate + blankMask());
    if (date != kZeroDate && !checkDate(date))
        throw Error(kInvalidDate + FormatDate(date, rules_.order, rules_.separator));
    lastValidDate_ = date;
}

std::string DateEditState::displayText(bool isActiveControl) const {
    if (lastValidDate_ == kZeroDate)
        return isActiveControl ? blankMask() : std::string();
    return FormatDate(lastValidDate_, rules_.order, rules_.separator);
}

DateEditState::Step DateEditState::step(int days, std::string_view currentText) const {
    if (lastValidDate_ == kZeroDate || !parse(currentText))
        return {true, std::nullopt};
    const DayCount next = lastValidDate_ + days;
    if (next == kZeroDate || !IsRepresentable(next) || !checkDate(next))
        return {false, std::nullopt};
    return {false, next};
}

void DateEditState::setEpoch(int epoch) {
    if (epoch >= kMinEpoch && epoch <= kMaxEpoch)
        rules_.epoch = epoch;
}

std::string DateEditState::dateFormat() const {
    return useOSDateFormat_ ? std::string() : dateFormat_;
}

bool DateEditState::setDateFormat(std::string_view format) {
    if (useOSDateFormat_)
        return false;
    applyFormat(format);
    return true;
}

bool DateEditState::setUseOSDateFormat(bool on, std::string_view systemShortDateFormat) {
    if (on == useOSDateFormat_)
        return false;
    if (on) {
        // Held off while the system's format is applied, so the write is not refused.
        useOSDateFormat_ = false;
        applyFormat(DateFormatText(DateOrderOfSystemFormat(systemShortDateFormat)));
    }
    useOSDateFormat_ = on;
    return true;
}

void DateEditState::applyFormat(std::string_view format) {
    rules_.order = DateOrderOfFormat(format);
    dateFormat_ = DateFormatText(rules_.order);
}

} // namespace qx
