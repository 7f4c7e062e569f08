#pragma once
// An operator interface for tests: records the log, the messages, the errors and the bars,
// and answers the dialogs with what the test set up in advance.
#include "session/OperatorInterface.h"

#include <map>
#include <string>
#include <vector>

namespace qx::test {

class RecordingOperator : public OperatorInterface {
public:
    // What the window shows and how the dialogs answer.
    std::string rootText;
    std::optional<std::string> user;
    std::optional<DayCount> endDateAnswer;       // nullopt: the dialog is closed without "V redu"
    std::optional<TUserSettings> settingsAnswer; // nullopt: the dialog is cancelled

    // What happened.
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    bool logVisible = false;
    int endDateQuestions = 0;
    std::vector<std::string> settingsCaptions;
    std::map<ProgressBar, std::int64_t> barValue;
    std::map<ProgressBar, std::int64_t> barMaximum;
    std::map<ProgressBar, bool> barVisible;
    int processed = 0;

    void clearLog() override { log.clear(); }
    void setLogVisible(bool visible) override { logVisible = visible; }
    void appendLine(const std::string& line) override { log.push_back(line); }
    void appendToLastLine(const std::string& text) override {
        if (log.empty())
            log.emplace_back();
        log.back() += text;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& text) override { errors.push_back(text); }
    std::optional<DayCount> askEndDate(DayCount) override {
        ++endDateQuestions;
        return endDateAnswer;
    }
    bool editSettings(TUserSettings& settings, const std::string& caption) override {
        settingsCaptions.push_back(caption);
        if (!settingsAnswer)
            return false;
        settings = *settingsAnswer;
        return true;
    }
    void setBarMaximum(ProgressBar bar, std::int64_t maximum) override { barMaximum[bar] = maximum; }
    void setBarValue(ProgressBar bar, std::int64_t value) override { barValue[bar] = value; }
    void setBarVisible(ProgressBar bar, bool visible) override { barVisible[bar] = visible; }
    void processMessages() override { ++processed; }
    std::string rootBoxText() override { return rootText; }
    std::optional<std::string> selectedUser() override { return user; }
};

} // namespace qx::test
