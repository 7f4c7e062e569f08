#include "app/batch/ConsoleOperator.h"

#include "platform/Console.h"

namespace qx {

ConsoleOperator::ConsoleOperator(std::string rootText, std::string user, std::optional<DayCount> endDate)
    : rootText_(std::move(rootText)), user_(std::move(user)), endDate_(endDate),
      barOnTerminal_(platform::StandardErrorIsTerminal()) {}

ConsoleOperator::~ConsoleOperator() {
    clearBar();
    endOpenLine();
}

void ConsoleOperator::endOpenLine() {
    if (lineOpen_)
        std::fputc('\n', stdout);
    lineOpen_ = false;
    std::fflush(stdout);
}

void ConsoleOperator::clearBar() {
    if (barShown_ && barOnTerminal_)
        std::fputs("\r\033[K", stderr);
    barShown_ = false;
    barValue_ = -1;
}

void ConsoleOperator::appendLine(const std::string& line) {
    clearBar();
    endOpenLine();
    std::fputs(line.c_str(), stdout);
    lineOpen_ = true;
    std::fflush(stdout);
}

void ConsoleOperator::appendToLastLine(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    lineOpen_ = true;
    std::fflush(stdout);
}

void ConsoleOperator::showMessage(const std::string& text) {
    clearBar();
    endOpenLine();
    std::printf("*** %s\n", text.c_str());
    std::fflush(stdout);
    messages_.push_back(text);
}

void ConsoleOperator::showError(const std::string& text) {
    clearBar();
    endOpenLine();
    std::fprintf(stderr, "Napaka: %s\n", text.c_str());
    failed_ = true;
}

std::optional<DayCount> ConsoleOperator::askEndDate(DayCount initial) {
    return endDate_.value_or(initial);
}

// Only the total is drawn: one bar is enough on a terminal.
void ConsoleOperator::setBarValue(ProgressBar bar, std::int64_t value) {
    if (bar != ProgressBar::Total || !barOnTerminal_ || !barShown_ || value == barValue_)
        return;
    barValue_ = static_cast<int>(value);
    const int filled = barValue_ * 40 / 100;
    std::fprintf(stderr, "\r[%-40.*s] %3d%%", filled, "########################################", barValue_);
}

void ConsoleOperator::setBarVisible(ProgressBar bar, bool visible) {
    if (bar != ProgressBar::Total)
        return;
    if (!visible) {
        clearBar();
        return;
    }
    barShown_ = true;
}

void ConsoleOperator::processMessages() {}

} // namespace qx
