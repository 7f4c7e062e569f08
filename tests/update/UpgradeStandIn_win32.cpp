// A stand-in for the program under Wine: records, beside itself, its command line and the
// marker that the test appended to its own file (so old and new copies can be told apart).
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <windows.h>

int main() {
    wchar_t self[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring path(self, length);
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t marker = bytes.rfind("MARK:");
    std::string mark = marker == std::string::npos ? "none" : bytes.substr(marker + 5);
    std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    const wchar_t* line = GetCommandLineW();
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string commandLine(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line, -1, commandLine.data(), size, nullptr, nullptr);
    std::ofstream(std::filesystem::path(folder + L"restarted.txt"), std::ios::binary) << mark << "|" << commandLine;
    return 0;
}
