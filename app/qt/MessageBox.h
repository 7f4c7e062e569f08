#pragma once
// Modal message boxes that a test can answer in advance: a box with a queued answer is not
// shown; every box asked for is recorded, so a test can also see that none was.
#include <QString>
#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace qx::widgets {

class MessageBox {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Answer { Yes, No, Ok };
    struct Button {
        Answer answer;
        QString text; // empty: the platform's standard button for the answer
    };
    struct Shown {
        std::string title;
        std::string text;
    };

    static void setNextAnswer(Answer answer);
    static std::vector<Shown> takeShownForTests();
    // Forgets queued answers and recorded boxes (between tests).
    static void resetForTests();

    // The first button is the default one, the last answers Esc and the close button.
    static Answer ask(QWidget* parent, Icon icon, const std::string& title, const std::string& text,
                      const std::vector<Button>& buttons, bool stayOnTop = false);
    static Answer askYesNo(QWidget* parent, Icon icon, const std::string& title, const std::string& text,
                           bool stayOnTop = false);
    static void error(QWidget* parent, const std::string& title, const std::string& text);
    static void inform(QWidget* parent, const std::string& title, const std::string& text);

private:
    static std::deque<Answer>& queued();
    static std::vector<Shown>& shown();
};

} // namespace qx::widgets
