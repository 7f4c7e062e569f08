#include "BuildConfig.h"
#include "platform/Environment.h"
#include "text/Utf8.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace qx::platform {

namespace {

// The buffer the program reads a variable into holds 1020 UTF-16 characters with the terminating zero.
constexpr std::size_t kEnvironmentBuffer = 1020;

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string GetEnvironmentText(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value)
        return {};
    const std::string text(value);
    return Utf8ToUtf16(text).size() >= kEnvironmentBuffer ? std::string() : text;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// POSIX executables carry no version resource; the build writes the same number.
std::string ExecutableFileVersion() {
    return QX_FILE_VERSION;
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return WithTrailingSlash(tmp && *tmp ? tmp : "/tmp");
}

std::string CreateUniqueTempFile(const std::string& folder) {
    std::string pattern = WithTrailingSlash(folder) + "qxXXXXXX.tmp";
    const int fd = mkstemps(pattern.data(), 4);
    if (fd < 0)
        return {};
    close(fd);
    return pattern;
}

} // namespace qx::platform
