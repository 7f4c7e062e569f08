#include "platform/ProcessControl.h"
#include "platform/WideText_win32.h"

#include <iterator>
#include <tlhelp32.h>

namespace qx::platform {

namespace {

std::wstring ImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 4];
    DWORD length = static_cast<DWORD>(std::size(path));
    const bool known = QueryFullProcessImageNameW(process, 0, path, &length) != 0;
    CloseHandle(process);
    return known ? std::wstring(path, length) : std::wstring();
}

} // namespace

bool IsProgramRunning(const std::string& path) {
    const std::wstring wanted = Widen(path);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool running = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !running; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            continue;
        const std::wstring image = ImagePath(entry.th32ProcessID);
        // File names on Windows ignore case.
        running = !image.empty() && CompareStringOrdinal(image.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
    }
    CloseHandle(snapshot);
    return running;
}

bool MarkExecutable(const std::string&) {
    return true; // a Windows program runs by its name alone
}

bool StartProgramAt(const std::string& path, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + Widen(path) + L"\"";
    for (const std::string& argument : arguments)
        line += L" " + Widen(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::wstring application = Widen(path);
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace qx::platform
