#include "platform/ProcessControl.h"

#include "platform/Process.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::platform {

namespace {

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

} // namespace

bool IsProgramRunning(const std::string& path) {
    std::string wanted = RealPath(path);
    std::string self = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    if (!proc)
        return false;
    bool running = false;
    while (dirent* entry = readdir(proc)) {
        std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos || name == self)
            continue;
        char target[PATH_MAX];
        ssize_t n = readlink(("/proc/" + name + "/exe").c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == wanted) {
            running = true;
            break;
        }
    }
    closedir(proc);
    return running;
}

bool MarkExecutable(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    return chmod(path.c_str(), st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH) == 0;
}

// A program path is one argument here whatever it holds.
bool StartProgramAt(const std::string& path, const std::vector<std::string>& arguments) {
    return StartDetached(path, arguments);
}

} // namespace qx::platform
