// Private-profile INI files emulated over POSIX files. A write goes to a new file beside
// the old one and replaces it, so that a failed write never leaves half a file.
#include "platform/CodePage.h"
#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "platform/IniDocument.h"
#include "text/Error.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::platform {

namespace {

std::optional<std::string> ReadBytes(const std::string& path) {
    if (!IsExistingFile(path))
        return std::nullopt;
    return ReadFileBytes(path);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes) && fchmod(fd, mode) == 0;
    if (close(fd) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

AnsiText IniReadString(const std::string& file, const std::string& section, const std::string& key,
                       const AnsiText& fallback) {
    const auto bytes = ReadBytes(ResolvePath(file));
    if (!bytes)
        return fallback;
    const auto raw = IniDocument(*bytes).rawValue(ToAnsi(section).bytes, ToAnsi(key).bytes);
    return raw ? AnsiText(CleanIniValue(*raw)) : fallback;
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const AnsiText& value) {
    const std::string path = ResolvePath(file);
    const auto existing = StatPath(path);
    const std::string folder = FolderOf(path);
    const bool refused = (existing && (existing->attributes & (kAttrDirectory | kAttrReadOnly))) ||
                         (!folder.empty() && !IsExistingDirectory(folder)) || FileNameOf(path).empty();
    mode_t mode = 0644;
    struct stat st {};
    if (existing && stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    const auto bytes = existing ? ReadBytes(path) : std::optional<std::string>(std::string());
    if (refused || !bytes)
        throw Error("Unable to write to " + file);
    IniDocument document(*bytes);
    document.set(ToAnsi(section).bytes, ToAnsi(key).bytes, value.bytes);
    if (!ReplaceFile(path, document.bytes(), mode))
        throw Error("Unable to write to " + file);
}

} // namespace qx::platform
