#include "app/win32/MessageBoxes.h"

#include "platform/WideText_win32.h"

#include <utility>

namespace qx::win32 {
namespace {

UINT IconFlag(MessageBoxes::Icon icon) {
    switch (icon) {
    case MessageBoxes::Icon::Information:
        return MB_ICONINFORMATION;
    case MessageBoxes::Icon::Warning:
        return MB_ICONWARNING;
    case MessageBoxes::Icon::Error:
        return MB_ICONERROR;
    case MessageBoxes::Icon::Question:
        return MB_ICONQUESTION;
    }
    return 0;
}

} // namespace

std::deque<MessageBoxes::Answer>& MessageBoxes::queued() {
    static std::deque<Answer> answers;
    return answers;
}

std::vector<MessageBoxes::Shown>& MessageBoxes::shown() {
    static std::vector<Shown> boxes;
    return boxes;
}

void MessageBoxes::setNextAnswer(Answer answer) {
    queued().push_back(answer);
}

std::vector<MessageBoxes::Shown> MessageBoxes::takeShownForTests() {
    return std::exchange(shown(), {});
}

void MessageBoxes::resetForTests() {
    queued().clear();
    shown().clear();
}

std::optional<MessageBoxes::Answer> MessageBoxes::takeQueuedAnswer(const std::string& title, const std::string& text) {
    shown().push_back({title, text});
    if (queued().empty())
        return std::nullopt;
    const Answer answer = queued().front();
    queued().pop_front();
    return answer;
}

MessageBoxes::Answer MessageBoxes::show(HWND owner, UINT flags, Answer fallback, const std::string& title,
                                        const std::string& text) {
    if (const std::optional<Answer> answer = takeQueuedAnswer(title, text))
        return *answer;
    switch (MessageBoxW(owner, platform::Widen(text).c_str(), platform::Widen(title).c_str(), flags)) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    case IDOK:
        return Answer::Ok;
    default:
        return fallback;
    }
}

MessageBoxes::Answer MessageBoxes::askYesNo(HWND owner, Icon icon, const std::string& title, const std::string& text,
                                            bool stayOnTop) {
    return show(owner, MB_YESNO | IconFlag(icon) | (stayOnTop ? MB_TOPMOST : 0u), Answer::No, title, text);
}

void MessageBoxes::error(HWND owner, const std::string& title, const std::string& text) {
    show(owner, MB_OK | MB_ICONERROR, Answer::Ok, title, text);
}

void MessageBoxes::inform(HWND owner, const std::string& title, const std::string& text) {
    show(owner, MB_OK | MB_ICONINFORMATION, Answer::Ok, title, text);
}

} // namespace qx::win32
