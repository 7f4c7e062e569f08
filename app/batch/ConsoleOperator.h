#pragma once
// The operator interface on a terminal: the log and the messages on standard output,
// the total progress as a bar on standard error when that is a terminal. No dialogs:
// the end date is given on the command line and the settings dialog is never shown.
#include "session/OperatorInterface.h"

#include <cstdio>
#include <string>
#include <vector>

namespace qx {

class ConsoleOperator : public OperatorInterface {
public:
    ConsoleOperator(std::string rootText, std::string user, std::optional<DayCount> endDate);
    ~ConsoleOperator() override;

    void clearLog() override {}
    void setLogVisible(bool) override {}
    void appendLine(const std::string& line) override;
    void appendToLastLine(const std::string& text) override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    std::optional<DayCount> askEndDate(DayCount initial) override;
    bool editSettings(TUserSettings&, const std::string&) override { return false; }
    void setBarMaximum(ProgressBar, std::int64_t) override {}
    void setBarValue(ProgressBar bar, std::int64_t value) override;
    void setBarVisible(ProgressBar bar, bool visible) override;
    void processMessages() override;
    std::string rootBoxText() override { return rootText_; }
    std::optional<std::string> selectedUser() override { return user_; }

    const std::vector<std::string>& messages() const { return messages_; }
    bool failed() const { return failed_; }

private:
    void endOpenLine();
    void clearBar();

    std::string rootText_;
    std::string user_;
    std::optional<DayCount> endDate_;
    std::vector<std::string> messages_;
    bool failed_ = false;
    bool lineOpen_ = false;
    bool barShown_ = false;
    bool barOnTerminal_ = false;
    int barValue_ = -1;
};

} // namespace qx
