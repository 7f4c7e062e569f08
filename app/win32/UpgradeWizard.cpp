#include "app/win32/UpgradeWizard.h"

#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "update/UpgradeSteps.h"
#include "update/UpgradeTexts.h"

#include <commctrl.h>

namespace qx::win32 {
namespace {

namespace texts = update::texts;

HFONT BoldFont() {
    static const HFONT font = [] {
        LOGFONTW bold{};
        GetObjectW(TahomaFont(), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&bold);
    }();
    return font;
}

} // namespace

UpgradeWizard::UpgradeWizard(HWND owner) {
    createFrame(texts::kWizardCaption, owner);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetClientSize(hwnd(), 420, 322);
    HWND self = hwnd();
    HFONT font = TahomaFont();
    MakeChild(self, L"STATIC", texts::kTitleDownloading, WS_VISIBLE | SS_LEFT, {12, 12, 396, 16}, kTitle, BoldFont());
    MakeChild(self, L"BUTTON", texts::kGroupCurrentFile, WS_VISIBLE | BS_GROUPBOX, {12, 36, 396, 108}, kCurrentGroup,
              font);
    MakeChild(self, PROGRESS_CLASSW, "", WS_VISIBLE, {24, 56, 372, 18}, kFileBar, font);
    MakeChild(self, L"STATIC", texts::kPreparing, WS_VISIBLE | SS_LEFT, {24, 80, 372, 16}, kFileSize, font);
    MakeChild(self, L"STATIC", "", WS_VISIBLE | SS_LEFT, {24, 98, 372, 16}, kRate, font);
    MakeChild(self, L"STATIC", "", WS_VISIBLE | SS_LEFT, {24, 116, 372, 16}, kRemaining, font);
    MakeChild(self, L"BUTTON", texts::kGroupAllFiles, WS_VISIBLE | BS_GROUPBOX, {12, 152, 396, 70}, kAllGroup, font);
    MakeChild(self, PROGRESS_CLASSW, "", WS_VISIBLE, {24, 172, 372, 18}, kTotalBar, font);
    MakeChild(self, L"STATIC", "", WS_VISIBLE | SS_LEFT, {24, 196, 372, 16}, kCounter, font);
    MakeChild(self, L"STATIC", "", SS_LEFT, {12, 230, 396, 48}, kNote, font);
    HWND next = MakeChild(self, L"BUTTON", texts::kNextButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                          {236, 286, 84, 25}, kNextButton, font);
    EnableWindow(next, FALSE);
    MakeChild(self, L"BUTTON", texts::kStopButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {326, 286, 84, 25},
              kStopButton, font);
}

void UpgradeWizard::startFile(int number, int count) {
    number_ = number;
    count_ = count > 0 ? count : 1;
    announcedSize_.reset();
    fileStart_ = 0;
    SendMessageW(item(kFileBar), PBM_SETPOS, 0, 0);
    SendMessageW(item(kTotalBar), PBM_SETPOS, static_cast<WPARAM>(update::TotalPercentAtStart(number, count_)), 0);
    SetText(item(kFileSize), texts::kPreparing);
    SetText(item(kRate), "");
    SetText(item(kRemaining), "");
    SetText(item(kCounter), texts::FileCounterText(number, count));
}

void UpgradeWizard::fileStarted(std::optional<std::uint64_t> announcedSize) {
    announcedSize_ = announcedSize;
    fileStart_ = GetTickCount64();
    if (announcedSize)
        SetText(item(kFileSize), texts::FileSizeText(*announcedSize));
}

void UpgradeWizard::fileProgress(std::uint64_t received) {
    const double seconds = fileStart_ ? static_cast<double>(GetTickCount64() - fileStart_) / 1000.0 : 0.0;
    const update::FileProgressView view = update::FileProgressOf(number_, count_, announcedSize_, received, seconds);
    SendMessageW(item(kFileBar), PBM_SETPOS, static_cast<WPARAM>(view.filePercent), 0);
    SendMessageW(item(kTotalBar), PBM_SETPOS, static_cast<WPARAM>(view.totalPercent), 0);
    if (!view.rate.empty())
        SetText(item(kRate), view.rate);
    if (!view.remaining.empty())
        SetText(item(kRemaining), view.remaining);
}

void UpgradeWizard::showComplete(const std::string& programTitle) {
    complete_ = true;
    SendMessageW(item(kFileBar), PBM_SETPOS, 100, 0);
    SendMessageW(item(kTotalBar), PBM_SETPOS, 100, 0);
    SetText(item(kTitle), texts::kTitleComplete);
    SetText(item(kNote), texts::CompleteNote(programTitle));
    ShowWindow(item(kNote), SW_SHOWNA);
    SetText(item(kNextButton), texts::kOkButton);
    EnableWindow(item(kNextButton), TRUE);
    SendMessageW(item(kNextButton), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EnableWindow(item(kStopButton), FALSE);
    SetFocus(item(kNextButton));
}

LRESULT UpgradeWizard::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        stopRequested();
        return 0;
    default:
        return ModalDialog::handle(message, wParam, lParam);
    }
}

bool UpgradeWizard::command(int id, int notification, HWND) {
    if (notification != BN_CLICKED)
        return false;
    if (id == kStopButton || id == IDCANCEL) {
        stopRequested();
        return true;
    }
    if (id == kNextButton && complete_) {
        confirmed_ = true;
        if (onConfirm_)
            onConfirm_();
        return true;
    }
    return false;
}

void UpgradeWizard::stopRequested() {
    if (stopped_ || confirmed_)
        return;
    if (MessageBoxes::askYesNo(hwnd(), MessageBoxes::Icon::Question, texts::kProgramTitle, texts::kCancelQuestion) ==
        MessageBoxes::Answer::Yes) {
        stopped_ = true;
        if (onStop_)
            onStop_();
    }
}

} // namespace qx::win32
