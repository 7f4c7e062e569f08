#pragma once
// The seam between the run and whoever shows it: the main window, the console front
// end and the tests implement it, so that a whole transfer runs without a display.
#include "session/UserSettings.h"
#include "text/Dates.h"
#include <cstdint>
#include <optional>
#include <string>

namespace qx {

enum class ProgressBar { File = 1, Total = 2 }; // ProgressBar1 and ProgressBar2

class OperatorInterface {
public:
    virtual ~OperatorInterface() = default;

    // The progress log (Memo1).
    virtual void clearLog() = 0;
    virtual void setLogVisible(bool visible) = 0;
    virtual void appendLine(const std::string& line) = 0;
    virtual void appendToLastLine(const std::string& text) = 0;

    // A modal message box with an OK button; an expected condition.
    virtual void showMessage(const std::string& text) = 0;
    // The error box for an unexpected failure.
    virtual void showError(const std::string& text) = 0;

    // The end-date dialog: the confirmed date, or nullopt when it was closed without "V redu".
    virtual std::optional<DayCount> askEndDate(DayCount initial) = 0;
    // The settings dialog: true when confirmed with "V redu"; `settings` then holds the edited values.
    virtual bool editSettings(TUserSettings& settings, const std::string& caption) = 0;

    // The two vertical progress bars.
    virtual void setBarMaximum(ProgressBar bar, std::int64_t maximum) = 0;
    virtual void setBarValue(ProgressBar bar, std::int64_t value) = 0;
    virtual void setBarVisible(ProgressBar bar, bool visible) = 0;

    // Lets the window repaint and handle pending events.
    virtual void processMessages() = 0;

    // What the window shows when a run takes over the choice: the root box's text and the selected user.
    virtual std::string rootBoxText() = 0;
    virtual std::optional<std::string> selectedUser() = 0;
};

} // namespace qx
