#include "app/qt/UpgradeWizard.h"

#include "update/UpgradeSteps.h"
#include "update/UpgradeTexts.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qx::update {

namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QProgressBar* NamedBar(const char* name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

} // namespace

UpgradeWizard::UpgradeWizard(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(texts::kWizardCaption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);

    title_ = NamedLabel("title", QString::fromUtf8(texts::kTitleDownloading), this);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    note_ = NamedLabel("note", QString(), this);
    note_->setWordWrap(true);
    note_->hide();

    auto* current = new QGroupBox(QString::fromUtf8(texts::kGroupCurrentFile), this);
    current->setObjectName("currentFile");
    fileBar_ = NamedBar("fileBar", current);
    fileSize_ = NamedLabel("fileSize", QString::fromUtf8(texts::kPreparing), current);
    rate_ = NamedLabel("rate", QString(), current);
    remaining_ = NamedLabel("remaining", QString(), current);
    auto* currentLayout = new QVBoxLayout(current);
    for (QWidget* w : std::initializer_list<QWidget*>{fileBar_, fileSize_, rate_, remaining_})
        currentLayout->addWidget(w);

    auto* all = new QGroupBox(QString::fromUtf8(texts::kGroupAllFiles), this);
    all->setObjectName("allFiles");
    totalBar_ = NamedBar("totalBar", all);
    counter_ = NamedLabel("counter", QString(), all);
    auto* allLayout = new QVBoxLayout(all);
    allLayout->addWidget(totalBar_);
    allLayout->addWidget(counter_);

    nextButton_ = new QPushButton(QString::fromUtf8(texts::kNextButton), this);
    nextButton_->setObjectName("nextButton");
    nextButton_->setEnabled(false);
    stopButton_ = new QPushButton(QString::fromUtf8(texts::kStopButton), this);
    stopButton_->setObjectName("stopButton");
    connect(stopButton_, &QPushButton::clicked, this, &UpgradeWizard::stopRequested);
    connect(nextButton_, &QPushButton::clicked, this, [this] {
        if (complete_)
            emit okPressed();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(nextButton_);
    buttons->addWidget(stopButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(current);
    layout->addWidget(all);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void UpgradeWizard::startFile(int number, int count) {
    number_ = number;
    count_ = count > 0 ? count : 1;
    announcedSize_.reset();
    fileBar_->setValue(0);
    totalBar_->setValue(TotalPercentAtStart(number, count_));
    fileSize_->setText(QString::fromUtf8(texts::kPreparing));
    rate_->clear();
    remaining_->clear();
    counter_->setText(QString::fromStdString(texts::FileCounterText(number, count)));
}

void UpgradeWizard::fileStarted(std::optional<std::uint64_t> announcedSize) {
    announcedSize_ = announcedSize;
    fileClock_.start();
    if (announcedSize)
        fileSize_->setText(QString::fromStdString(texts::FileSizeText(*announcedSize)));
}

void UpgradeWizard::fileProgress(std::uint64_t received) {
    const double seconds = fileClock_.isValid() ? static_cast<double>(fileClock_.elapsed()) / 1000.0 : 0.0;
    const FileProgressView view = FileProgressOf(number_, count_, announcedSize_, received, seconds);
    fileBar_->setValue(view.filePercent);
    totalBar_->setValue(view.totalPercent);
    if (!view.rate.empty())
        rate_->setText(QString::fromStdString(view.rate));
    if (!view.remaining.empty())
        remaining_->setText(QString::fromStdString(view.remaining));
}

void UpgradeWizard::showComplete(const std::string& programTitle) {
    complete_ = true;
    fileBar_->setValue(100);
    totalBar_->setValue(100);
    title_->setText(QString::fromUtf8(texts::kTitleComplete));
    note_->setText(QString::fromStdString(texts::CompleteNote(programTitle)));
    note_->show();
    nextButton_->setText(QString::fromUtf8(texts::kOkButton));
    nextButton_->setEnabled(true);
    nextButton_->setDefault(true);
    nextButton_->setFocus();
    stopButton_->setEnabled(false);
}

void UpgradeWizard::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit stopRequested();
}

void UpgradeWizard::reject() {
    emit stopRequested();
}

} // namespace qx::update
