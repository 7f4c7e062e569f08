#pragma once
// Modal message boxes through MessageBoxW, so that Yes, No and OK carry the system's own words.
// A test can answer them in advance: a box with a queued answer is not shown; every box asked
// for is recorded, so a test can also see that none was.
#include <deque>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace qx::win32 {

class MessageBoxes {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Answer { Yes, No, Ok };
    struct Shown {
        std::string title;
        std::string text;
    };

    static void setNextAnswer(Answer answer);
    static std::vector<Shown> takeShownForTests();
    static void resetForTests();

    static Answer askYesNo(HWND owner, Icon icon, const std::string& title, const std::string& text,
                           bool stayOnTop = false);
    static void error(HWND owner, const std::string& title, const std::string& text);
    static void inform(HWND owner, const std::string& title, const std::string& text);
    // For boxes of our own: records the box and returns the queued answer, if there is one.
    static std::optional<Answer> takeQueuedAnswer(const std::string& title, const std::string& text);

private:
    static Answer show(HWND owner, UINT flags, Answer fallback, const std::string& title, const std::string& text);
    static std::deque<Answer>& queued();
    static std::vector<Shown>& shown();
};

} // namespace qx::win32
