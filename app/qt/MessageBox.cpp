#include "app/qt/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <map>
#include <utility>

namespace qx::widgets {

std::deque<MessageBox::Answer>& MessageBox::queued() {
    static std::deque<Answer> answers;
    return answers;
}

std::vector<MessageBox::Shown>& MessageBox::shown() {
    static std::vector<Shown> boxes;
    return boxes;
}

void MessageBox::setNextAnswer(Answer answer) {
    queued().push_back(answer);
}

std::vector<MessageBox::Shown> MessageBox::takeShownForTests() {
    return std::exchange(shown(), {});
}

void MessageBox::resetForTests() {
    queued().clear();
    shown().clear();
}

MessageBox::Answer MessageBox::ask(QWidget* parent, Icon icon, const std::string& title, const std::string& text,
                                   const std::vector<Button>& buttons, bool stayOnTop) {
    shown().push_back({title, text});
    if (!queued().empty()) {
        Answer answer = queued().front();
        queued().pop_front();
        return answer;
    }
    static const std::map<Icon, QMessageBox::Icon> icons{{Icon::Information, QMessageBox::Information},
                                                         {Icon::Warning, QMessageBox::Warning},
                                                         {Icon::Error, QMessageBox::Critical},
                                                         {Icon::Question, QMessageBox::Question}};
    QMessageBox box(icons.at(icon), QString::fromStdString(title), QString::fromStdString(text), QMessageBox::NoButton,
                    parent);
    if (stayOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    std::map<QAbstractButton*, Answer> answers;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto role = i + 1 == buttons.size() && buttons.size() > 1 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        static const std::map<Answer, QMessageBox::StandardButton> standard{
            {Answer::Yes, QMessageBox::Yes}, {Answer::No, QMessageBox::No}, {Answer::Ok, QMessageBox::Ok}};
        QAbstractButton* button = buttons[i].text.isEmpty() ? box.addButton(standard.at(buttons[i].answer))
                                                            : box.addButton(buttons[i].text, role);
        answers[button] = buttons[i].answer;
        if (i == 0)
            box.setDefaultButton(static_cast<QPushButton*>(button));
        if (i + 1 == buttons.size())
            box.setEscapeButton(button);
    }
    box.exec();
    auto it = answers.find(box.clickedButton());
    return it != answers.end() ? it->second : buttons.back().answer;
}

MessageBox::Answer MessageBox::askYesNo(QWidget* parent, Icon icon, const std::string& title, const std::string& text,
                                        bool stayOnTop) {
    return ask(parent, icon, title, text, {{Answer::Yes, {}}, {Answer::No, {}}}, stayOnTop);
}

void MessageBox::error(QWidget* parent, const std::string& title, const std::string& text) {
    ask(parent, Icon::Error, title, text, {{Answer::Ok, {}}});
}

void MessageBox::inform(QWidget* parent, const std::string& title, const std::string& text) {
    ask(parent, Icon::Information, title, text, {{Answer::Ok, {}}});
}

} // namespace qx::widgets
