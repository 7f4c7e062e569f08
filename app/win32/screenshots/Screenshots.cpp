// qxshots (Windows): pictures of every window of the Windows program, taken from the screen as
// a user sees them, saved as PNG files into the folder given (scripts/screenshots-windows runs
// it under Wine and Xvfb with VORTANE at the sample installation).
//   qxshots.exe <folder>
#include "app/win32/Controls.h"
#include "app/win32/QuestionDialog.h"
#include "app/win32/TForm1.h"
#include "app/win32/TfKoncniDatum.h"
#include "app/win32/TfSetup.h"
#include "app/win32/UpgradeWizard.h"
#include "platform/Environment.h"
#include "platform/FileStreams.h"
#include "platform/WideText_win32.h"
#include "session/Session.h"
#include "update/UpgradeTexts.h"

#include <commctrl.h>
#include <cstdio>
#include <objbase.h>
#include <string>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

using namespace qx;

void Chunk(std::string& png, const char* type, const std::string& data) {
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        png += static_cast<char>(size >> shift & 0xFF);
    const std::string body = std::string(type, 4) + data;
    png += body;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    for (int shift = 24; shift >= 0; shift -= 8)
        png += static_cast<char>(crc >> shift & 0xFF);
}

std::string BigEndian(std::uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
}

// The window with its frame, as the screen shows it, in an RGB PNG file.
bool Capture(HWND window, const std::string& path) {
    RECT place;
    if (!GetWindowRect(window, &place))
        return false;
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    std::string rows;
    for (int y = 0; y < height; ++y) {
        rows += '\0'; // no filter
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* bgra = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            rows += {static_cast<char>(bgra[2]), static_cast<char>(bgra[1]), static_cast<char>(bgra[0])};
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
              static_cast<uLong>(rows.size()), 9);
    packed.resize(packedSize);
    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(png, "IHDR", BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5));
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    return platform::WriteFileBytes(path, png);
}

// Shows the window over the others, lets it paint, and takes its picture.
bool Shoot(HWND window, HWND owner, const std::string& path) {
    win32::CentreOver(window, owner);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    for (int i = 0; i < 10; ++i) {
        win32::PumpPendingMessages();
        Sleep(50);
    }
    const bool saved = Capture(window, path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    ShowWindow(window, SW_HIDE);
    return saved;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string folder = platform::Narrow(argv[1]) + "\\";
    bool saved = true;

    Session session;
    win32::TForm1 window(session);
    StartupOptions options;
    options.updateOffer = [] {}; // no offer in the pictures
    options.exeFolder = platform::TempFolder();
    if (!window.startUp(options))
        return 1;
    SendMessageW(window.ListBox1, LB_SETCURSEL, 1, 0);
    saved &= Shoot(window.hwnd(), nullptr, folder + "win32-TForm1.png");
    ShowWindow(window.hwnd(), SW_SHOW);

    TUserSettings settings;
    settings.Dest = "C:\\KERNO\\PRENOS";
    settings.Kopiraj2 = true;
    settings.Datumod = DayCountOf({2025, 1, 1});
    settings.AskDate = settings.Racn = settings.Stro = settings.Ziro = settings.FTP = settings.Message = true;
    settings.Servis = "SERVIS";
    settings.ID = "A";
    settings.Email = "racunovodstvo@example.com";
    win32::TfSetup setup(settings, window.hwnd());
    win32::SetText(setup.hwnd(), "Nastavitve za uporabnika FIRMA.P");
    saved &= Shoot(setup.hwnd(), window.hwnd(), folder + "win32-TfSetup.png");

    win32::TfKoncniDatum endDate(window.hwnd());
    saved &= Shoot(endDate.hwnd(), window.hwnd(), folder + "win32-TfKoncniDatum.png");

    win32::QuestionDialog question(window.hwnd(), update::texts::kWizardCaption,
                                   update::texts::UpgradeQuestion(update::texts::kProgramTitle, "Nova verzija 3.0.23"),
                                   update::texts::kYesButton, update::texts::kLaterButton, true);
    saved &= Shoot(question.hwnd(), window.hwnd(), folder + "win32-UpgradeQuestion.png");

    win32::UpgradeWizard wizard(window.hwnd());
    wizard.startFile(1, 2);
    wizard.fileStarted(153600);
    wizard.fileProgress(61440);
    saved &= Shoot(wizard.hwnd(), window.hwnd(), folder + "win32-UpgradeWizard.png");

    // The system's message box, taken from beside it and then closed.
    std::thread closer([&] {
        HWND box = nullptr;
        for (int i = 0; i < 100 && box == nullptr; ++i, Sleep(50))
            box = FindWindowW(L"#32770", L"Priprava podatkov za prenos");
        if (box == nullptr) {
            saved = false;
            return;
        }
        Sleep(300);
        saved &= Capture(box, folder + "win32-Message.png");
        std::printf("saved %s\n", (folder + "win32-Message.png").c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    window.showMessage("Prepis podatkov je uspešno končan.");
    closer.join();
    return saved ? 0 : 1;
}
