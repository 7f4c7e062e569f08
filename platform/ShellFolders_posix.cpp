#include "platform/ShellFolders.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace qx::platform {

namespace {

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Home() {
    return EnvOrEmpty("HOME");
}

// A folder from ~/.config/user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop"), else $HOME/<fallback>.
std::string XdgUserDir(const std::string& key, const std::string& fallback) {
    std::string home = Home();
    if (home.empty())
        return "";
    std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
    std::ifstream in((config.empty() ? home + "/.config" : config) + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=\"", 0) != 0 || line.size() < key.size() + 3 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size() + 2, line.size() - key.size() - 3);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return home + "/" + fallback;
}

} // namespace

std::string ShellFolderPath(ShellFolder folder) {
    switch (folder) {
    case ShellFolder::Desktop:
        return XdgUserDir("XDG_DESKTOP_DIR", "Desktop");
    case ShellFolder::MyDocuments:
        return XdgUserDir("XDG_DOCUMENTS_DIR", "Documents");
    case ShellFolder::MyPictures:
        return XdgUserDir("XDG_PICTURES_DIR", "Pictures");
    case ShellFolder::AppData: {
        std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
        return !config.empty() ? config : Home().empty() ? "" : Home() + "/.config";
    }
    case ShellFolder::ProgramFiles:
        return "/opt";
    case ShellFolder::Windows:
        return "/usr/share";
    case ShellFolder::System:
        return "/usr/lib";
    case ShellFolder::Help:
        return "/usr/share/help";
    case ShellFolder::Media:
        return "/usr/share/sounds";
    case ShellFolder::Cursors:
        return "/usr/share/icons";
    }
    return "";
}

std::string CurrentFolder() {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return "";
    std::string path = buffer;
    return path;
}

} // namespace qx::platform
