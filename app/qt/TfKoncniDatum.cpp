#include "app/qt/TfKoncniDatum.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace qx {

TfKoncniDatum::TfKoncniDatum(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("Vnos mejnega datuma dokumentov"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(260, 191);
    setSizeGripEnabled(false);

    Label1 = new QLabel(
        QString::fromUtf8("Vnesi  največji končni datum dokumentov,  ki jih bo program pripravil za prenos"), this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label grows downwards when the font wraps it into more lines than Tahoma does.
    Label1->setGeometry(32, 24, 209, std::max(33, Label1->heightForWidth(209)));

    KoncniDatum = new TaDateEdit(this);
    KoncniDatum->setObjectName(QStringLiteral("KoncniDatum"));
    KoncniDatum->setColorTextErr(Qt::red);
    KoncniDatum->setColorTextOK(Qt::black);
    KoncniDatum->setUseOSDateFormat(true);
    KoncniDatum->setZeroDateIsValid(true);
    // The field sets its own width from its font; 64 is the width it is placed with.
    KoncniDatum->setGeometry(92, 73, 64, KoncniDatum->sizeHint().height());

    Button1 = new QPushButton(QString::fromUtf8("V redu"), this);
    Button1->setGeometry(92, 144, 64, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    KoncniDatum->setFocus();
}

void TfKoncniDatum::accept() {
    if (!KoncniDatum->keepsDialogOpen())
        QDialog::accept();
}

std::optional<DayCount> TfKoncniDatum::ask(QWidget* parent, DayCount initial) {
    TfKoncniDatum dialog(parent);
    dialog.KoncniDatum->setDate(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.KoncniDatum->date();
}

} // namespace qx
