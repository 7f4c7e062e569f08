// What another program's windows show, read from outside as a test must: the caption and the
// texts of the visible controls of each visible top-level window with the given caption (and
// window class, when given), one text a line in UTF-8; or, with --where, the screen point at
// the middle of the control with the given text, for a click. Exit status 1 when none is found.
//   window_text_reader.exe CAPTION [CLASS]
//   window_text_reader.exe --where CAPTION CONTROL_TEXT
#include <string>
#include <windows.h>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096];
    DWORD_PTR length = 0;
    // A window busy in a long step answers later: this reader is asked again.
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             2000, &length))
        return {};
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, static_cast<int>(std::size(name)))));
}

void Print(const std::string& line) {
    const std::string out = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

struct Search {
    std::wstring caption;
    std::wstring windowClass; // empty: any
    std::wstring control;     // --where: the control's text
    bool where = false;
    bool found = false;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(child))
        return TRUE;
    if (!search->where) {
        Print(Utf8(TextOf(child)));
        return TRUE;
    }
    if (TextOf(child) != search->control)
        return TRUE;
    RECT place;
    GetWindowRect(child, &place);
    Print(std::to_string((place.left + place.right) / 2) + " " + std::to_string((place.top + place.bottom) / 2));
    search->found = true;
    return FALSE;
}

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(window) || TextOf(window) != search->caption ||
        (!search->windowClass.empty() && ClassOf(window) != search->windowClass))
        return TRUE;
    if (!search->where) {
        search->found = true;
        Print(Utf8(search->caption));
    }
    EnumChildWindows(window, &VisitChild, data);
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Search search;
    if (argc == 4 && std::wstring(argv[1]) == L"--where") {
        search.where = true;
        search.caption = argv[2];
        search.control = argv[3];
    } else if (argc == 2 || argc == 3) {
        search.caption = argv[1];
        if (argc == 3)
            search.windowClass = argv[2];
    } else {
        return 2;
    }
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found ? 0 : 1;
}
