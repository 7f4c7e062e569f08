// Process creation as the program has always done it: one command line, the program path
// and the arguments joined by blanks, nothing quoted; no inherited handles, no flags.
// The help file opens in the HTML Help viewer, loaded from hhctrl.ocx on first use.
#include "platform/Process.h"
#include "platform/WideText_win32.h"

#include <shellapi.h>

namespace qx::platform {

namespace {

std::wstring CommandLineOf(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = program;
    for (const std::string& argument : arguments)
        line += " " + argument;
    return Widen(line);
}

bool Start(const std::string& program, const std::vector<std::string>& arguments, PROCESS_INFORMATION& process) {
    std::wstring line = CommandLineOf(program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
constexpr UINT kHelpDisplayTopic = 0; // HH_DISPLAY_TOPIC

HtmlHelpFunction HtmlHelpViewer() {
    // Loaded once and kept: the viewer's windows live as long as the program.
    static const HtmlHelpFunction function = [] {
        HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        return library ? reinterpret_cast<HtmlHelpFunction>(GetProcAddress(library, "HtmlHelpW")) : nullptr;
    }();
    return function;
}

} // namespace

bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments, int* exitCode) {
    PROCESS_INFORMATION process{};
    if (!Start(program, arguments, process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode)
        *exitCode = static_cast<int>(code);
    return true;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    PROCESS_INFORMATION process{};
    if (!Start(program, arguments, process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void OpenHelpFile(const std::string& path) {
    if (const HtmlHelpFunction helpViewer = HtmlHelpViewer())
        helpViewer(GetDesktopWindow(), Widen(path).c_str(), kHelpDisplayTopic, 0);
}

void OpenUrl(const std::string& url) {
    ShellExecuteW(nullptr, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace qx::platform
