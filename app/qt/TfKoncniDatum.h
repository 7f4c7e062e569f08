#pragma once
// The end-date dialog: asks for the last document date of a run.
#include "app/qt/TaDateEdit.h"
#include "text/Dates.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;

namespace qx {

class TfKoncniDatum : public QDialog {
    Q_OBJECT
public:
    explicit TfKoncniDatum(QWidget* parent = nullptr);

    // Shows the dialog modally with `initial` in the field: the date confirmed with "V redu",
    // nullopt when it was closed any other way.
    static std::optional<DayCount> ask(QWidget* parent, DayCount initial);

    // "V redu" and Return: closes only when the date field may be left.
    void accept() override;

    QLabel* Label1 = nullptr;
    TaDateEdit* KoncniDatum = nullptr;
    QPushButton* Button1 = nullptr;
};

} // namespace qx
