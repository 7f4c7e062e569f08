#pragma once
// What the date field holds and decides, without its window: the committed date, the format,
// the epoch, the zero-date rule and the acceptance check. The Qt field TaDateEdit wraps it.
#include "datefield/DateOrder.h"
#include "datefield/DateParser.h"
#include "text/Dates.h"
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

class DateEditState {
public:
    // Zero date valid, epoch from the current year, order from the system's short format,
    // then today committed.
    explicit DateEditState(std::string_view systemShortDateFormat);

    // The parser's verdict on a text under the current rules.
    std::optional<DayCount> parse(std::string_view text) const;
    // Reading `Date`: the parsed date when the text is valid, else the committed one.
    DayCount dateFor(std::string_view text) const;
    DayCount lastValidDate() const { return lastValidDate_; }

    // Writing `Date`: throws Error "Invalid Date: ..." for a refused date.
    void commit(DayCount date);
    // Leaving the field with a valid entry: the parser has already accepted it.
    void commitParsed(DayCount date) { lastValidDate_ = date; }

    // Whether the field may be left, or the dialog holding it closed, with `text` in it. A dialog
    // asks this on its own accept path too, so that no order of focus change and click lets an
    // invalid entry go.
    bool mayLeave(std::string_view text) const { return parse(text).has_value(); }

    // The text shown for the committed date; the zero date shows the blank mask only in the active control.
    std::string displayText(bool isActiveControl) const;

    // "+" and "-", from the committed date: beep when there is nothing to step from (zero date or an
    // invalid text); otherwise the date to commit, none when the check refuses it.
    struct Step {
        bool beep = false;
        std::optional<DayCount> date;
    };
    Step step(int days, std::string_view currentText) const;

    // What a typed character does to the field, decided here so that every front end's field
    // behaves alike; the field carries the effect out.
    enum class KeyEffect {
        PassThrough,   // a control key: the edit control's own handling
        ShowCommitted, // Escape: show the committed date again, select all
        CommitDate,    // "*", "+", "-": commit `date`, select all
        SelectAll,     // a step the check refused: only select all
        Empty,         // "/": empty the field, select all
        Beep,          // swallowed with the default beep
        Insert,        // a digit or the separator: inserted as typed
        CutThenInsert, // the same, after cutting off what follows the caret
    };
    struct KeyOutcome {
        KeyEffect effect = KeyEffect::PassThrough;
        DayCount date = kZeroDate;
    };
    // `key` is the typed character (27 for Escape); `length` the text's length in characters.
    KeyOutcome key(char32_t key, std::string_view currentText, std::size_t length, bool hasSelection) const;

    // Leaving the field: a valid entry is committed and nullopt returned; otherwise the text of
    // the error that refuses the exit.
    std::optional<std::string> leave(std::string_view currentText);

    int epoch() const { return rules_.epoch; }
    // Outside 1900..2100 the value is ignored.
    void setEpoch(int epoch);

    // Empty while the system's format is used.
    std::string dateFormat() const;
    // Ignored while the system's format is used; returns whether the format was taken.
    bool setDateFormat(std::string_view format);
    bool useOSDateFormat() const { return useOSDateFormat_; }
    // Turning it on takes the system's format again; returns whether anything changed.
    bool setUseOSDateFormat(bool on, std::string_view systemShortDateFormat);

    bool zeroDateIsValid() const { return rules_.zeroDateIsValid; }
    void setZeroDateIsValid(bool on) { rules_.zeroDateIsValid = on; }

    // OnCheckDate: an extra acceptance test; without one every existing date is accepted.
    void setCheckDate(std::function<bool(DayCount)> check) { rules_.checkDate = std::move(check); }
    bool checkDate(DayCount date) const { return !rules_.checkDate || rules_.checkDate(date); }

    DateOrder order() const { return rules_.order; }
    char separator() const { return rules_.separator; }
    std::string blankMask() const { return BlankDateMask(rules_.order, rules_.separator); }

private:
    void applyFormat(std::string_view format);

    DateParseRules rules_;
    std::string dateFormat_;
    bool useOSDateFormat_ = true;
    DayCount lastValidDate_ = kZeroDate;
};

} // namespace qx
