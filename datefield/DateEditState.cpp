#include "datefield/DateEditState.h"

#include "platform/Clock.h"
#include "text/Error.h"

namespace qx {
namespace {

constexpr const char* kInvalidDate = "Invalid Date: ";
// From this length on, a typed character first cuts off what follows the caret.
constexpr std::size_t kFullLength = 10;
constexpr char32_t kEscape = 27;

bool IsRepresentable(DayCount date) {
    return date >= DayCountOf({1, 1, 1}) && date <= DayCountOf({9999, 12, 31});
}

} // namespace

DateEditState::DateEditState(std::string_view systemShortDateFormat) {
    rules_.zeroDateIsValid = true;
    rules_.epoch = DefaultEpoch(CivilDateOf(platform::Today()).year);
    applyFormat(DateFormatText(DateOrderOfSystemFormat(systemShortDateFormat)));
    useOSDateFormat_ = true;
    commit(platform::Today());
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

DateEditState::KeyOutcome DateEditState::key(char32_t key, std::string_view currentText, std::size_t length,
                                             bool hasSelection) const {
    if (key == kEscape)
        return {KeyEffect::ShowCommitted};
    if (key < 32 || key == 127)
        return {KeyEffect::PassThrough};
    if (key == U'*')
        return {KeyEffect::CommitDate, platform::Today()};
    if (key == U'/')
        return {KeyEffect::Empty};
    if (key == U'+' || key == U'-') {
        const Step next = step(key == U'+' ? 1 : -1, currentText);
        if (next.beep)
            return {KeyEffect::Beep};
        return next.date ? KeyOutcome{KeyEffect::CommitDate, *next.date} : KeyOutcome{KeyEffect::SelectAll};
    }
    if ((key >= U'0' && key <= U'9') || key == static_cast<unsigned char>(rules_.separator))
        return {!hasSelection && length >= kFullLength ? KeyEffect::CutThenInsert : KeyEffect::Insert};
    return {KeyEffect::Beep};
}

std::optional<std::string> DateEditState::leave(std::string_view currentText) {
    if (const auto parsed = parse(currentText)) {
        commitParsed(*parsed);
        return std::nullopt;
    }
    return kInvalidDate + ("\"" + std::string(currentText) + "\"");
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
