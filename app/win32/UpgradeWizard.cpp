#include "app/win32/UpgradeWizard.h"

#include "app/win32/BackgroundJob.h"
#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/QuestionDialog.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Resource.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"

#include <commctrl.h>

namespace qx::win32 {
namespace {

namespace texts = update::texts;

constexpr UINT kFileStarted = WM_APP + 10;  // wParam: size announced, lParam: the size
constexpr UINT kFileProgress = WM_APP + 11; // lParam: bytes received

HFONT BoldFont() {
    static const HFONT font = [] {
        LOGFONTW bold{};
        GetObjectW(TahomaFont(), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&bold);
    }();
    return font;
}

std::string BrowserUrl(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

// Hands the worker's reports to the window thread.
class PostedProgress : public update::DownloadProgress {
public:
    explicit PostedProgress(HWND wizard) : wizard_(wizard) {}
    void started(std::optional<std::uint64_t> announcedSize) override {
        PostMessageW(wizard_, kFileStarted, announcedSize.has_value(), static_cast<LPARAM>(announcedSize.value_or(0)));
    }
    void progressed(std::uint64_t received) override {
        PostMessageW(wizard_, kFileProgress, 0, static_cast<LPARAM>(received));
    }

private:
    HWND wizard_;
};

// Shows what went wrong with one file; true when the upgrade goes on with the next one.
bool GoOnAfter(HWND wizard, const update::HttpResult& result, const update::DownloadEntry& entry) {
    const std::string downloaded = entry.target + update::kTemporarySuffix;
    switch (result.outcome) {
    case update::TransferOutcome::Complete:
        if (result.lastModifiedUnix)
            platform::SetLastWriteTime(downloaded, *result.lastModifiedUnix);
        return true;
    case update::TransferOutcome::ErrorStatus:
        platform::DeleteFilePath(downloaded);
        return MessageBoxes::askYesNo(wizard, MessageBoxes::Icon::Warning, texts::MissingFileCaption(result.status),
                                      texts::MissingFileQuestion(entry.url), true) == MessageBoxes::Answer::Yes;
    case update::TransferOutcome::BrokenOff:
    case update::TransferOutcome::TooLarge:
        MessageBoxes::error(wizard, texts::kWizardCaption, texts::kConnectionLost);
        return false;
    case update::TransferOutcome::WriteFailed:
        MessageBoxes::error(wizard, texts::kWizardCaption, texts::FileNotWritable(downloaded));
        return false;
    case update::TransferOutcome::NoAnswer:
    case update::TransferOutcome::Cancelled:
        return false;
    }
    return false;
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
    SendMessageW(item(kTotalBar), PBM_SETPOS, static_cast<WPARAM>((number - 1) * 100 / count_), 0);
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
    const int percent = announcedSize_ && *announcedSize_ > 0 ? static_cast<int>(received * 100 / *announcedSize_) : 0;
    SendMessageW(item(kFileBar), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    SendMessageW(item(kTotalBar), PBM_SETPOS, static_cast<WPARAM>(percent / count_ + (number_ - 1) * 100 / count_), 0);
    const double seconds = fileStart_ ? static_cast<double>(GetTickCount64() - fileStart_) / 1000.0 : 0.0;
    if (seconds <= 0.0)
        return;
    const double rate = static_cast<double>(received) / seconds;
    SetText(item(kRate), texts::TransferRateText(rate));
    if (announcedSize_ && rate > 0.0 && *announcedSize_ >= received)
        SetText(item(kRemaining), texts::RemainingTimeText(static_cast<std::int64_t>(
                                      static_cast<double>(*announcedSize_ - received) / rate)));
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
    case kFileStarted:
        fileStarted(wParam ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(lParam)) : std::nullopt);
        return 0;
    case kFileProgress:
        fileProgress(static_cast<std::uint64_t>(lParam));
        return 0;
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
        cancel_ = true;
    }
}

void RunUpgrade(HWND owner, const update::UpdateOffer& offer) {
    if (!QuestionDialog::ask(owner, texts::kWizardCaption, texts::UpgradeQuestion(texts::kProgramTitle, offer.message),
                             texts::kYesButton, texts::kLaterButton, true))
        return;
    if (offer.method == update::UpgradeMethod::Redirect) {
        platform::OpenUrl(BrowserUrl(offer.entries.front().url));
        return;
    }
    const std::string programFolder = update::MachineTargetFolders().current;
    UpgradeWizard wizard(owner);
    CentreOver(wizard.hwnd(), owner);
    ShowWindow(wizard.hwnd(), SW_SHOW);
    bool whole = true;
    for (std::size_t i = 0; whole && i < offer.entries.size(); ++i) {
        wizard.startFile(static_cast<int>(i) + 1, static_cast<int>(offer.entries.size()));
        update::HttpResult result;
        PostedProgress progress(wizard.hwnd());
        RunWhileDispatching(
            [&] { result = update::DownloadToTemporaryFile(offer.entries[i], progress, wizard.cancelFlag()); });
        PumpPendingMessages(); // the last reports of the file
        whole = !wizard.stopped() && GoOnAfter(wizard.hwnd(), result, offer.entries[i]);
    }
    if (whole) {
        wizard.showComplete(texts::kProgramTitle);
        MSG message;
        while (!wizard.confirmed() && !wizard.stopped() && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchWithDialogKeys(message);
    }
    if (whole && wizard.confirmed()) {
        const std::optional<std::string> upgrader = platform::ReadOwnResource("QXUPG");
        if (upgrader && update::StartUpgrader(*upgrader, platform::TempFolder(), offer.entries,
                                              platform::ExecutablePath(), offer.method)) {
            PostQuitMessage(0);
            return;
        }
        MessageBoxes::error(wizard.hwnd(), texts::kWizardCaption, texts::kUpgraderNotStarted);
    }
    update::DeleteTemporaryDownloads(programFolder, offer.entries);
}

} // namespace qx::win32
