// The process environment of Windows, which GetEnvironmentVariableW reads (UTF-16).
#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <windows.h>

namespace qx::test {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.resize(wide.empty() ? 0 : wide.size() - 1);
    return wide;
}

} // namespace

void SetEnvironment(const std::string& name, const std::string& value) {
    // The C runtime's copy first: it also sets the process's variable, from ANSI bytes.
    _putenv_s(name.c_str(), value.c_str());
    SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
}

void UnsetEnvironment(const std::string& name) {
    _putenv_s(name.c_str(), "");
    SetEnvironmentVariableW(Wide(name).c_str(), nullptr);
}

} // namespace qx::test
