#pragma once
// The main window "Priprava podatkov za prenos": the user list, the root box, the four
// buttons, and during a run the progress log and the two vertical bars. It is the
// operator interface of the runs started from it.
#include "run/Startup.h"
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace qx {

class TForm1 : public QWidget, public OperatorInterface {
    Q_OBJECT
public:
    explicit TForm1(Session& session, QWidget* parent = nullptr);

    // Runs the start-up sequence, the update offer first; false when the program cannot go on
    // (the message was shown). Tests pass their own program folder in `options`.
    bool startUp(StartupOptions options = {});

    QListWidget* ListBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr; // "Začni"
    QPushButton* Button3 = nullptr; // "Izhod"
    QPushButton* Button2 = nullptr; // "Nastavitve"
    QPushButton* Button4 = nullptr; // "Pomoč"
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label4 = nullptr;

    // OperatorInterface
    void clearLog() override;
    void setLogVisible(bool visible) override;
    void appendLine(const std::string& line) override;
    void appendToLastLine(const std::string& text) override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    std::optional<DayCount> askEndDate(DayCount initial) override;
    bool editSettings(TUserSettings& settings, const std::string& caption) override;
    void setBarMaximum(ProgressBar bar, std::int64_t maximum) override;
    void setBarValue(ProgressBar bar, std::int64_t value) override;
    void setBarVisible(ProgressBar bar, bool visible) override;
    void processMessages() override;
    std::string rootBoxText() override;
    std::optional<std::string> selectedUser() override;

private slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void ComboBox1Change();
    void ListBox1Click();

private:
    void buildControls();
    void showUserList(int selectedRow);
    QProgressBar* barOf(ProgressBar bar) const;

    Session& session_;
    bool selectionChangedSinceClick_ = false;
};

} // namespace qx
