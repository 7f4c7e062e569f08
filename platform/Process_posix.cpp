// Process creation over posix_spawn. Windows hands a child one command line, the program
// path and the arguments joined by blanks, and the child splits it at blanks again; the
// arguments are passed the same way here, so an argument with a blank arrives as two.
#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qx::platform {

namespace {

std::vector<std::string> SplitAtBlanks(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::vector<std::string> CommandLineOf(const std::string& program, const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments)
        joined += (joined.empty() ? "" : " ") + argument;
    std::vector<std::string> argv{program};
    for (const std::string& word : SplitAtBlanks(joined))
        argv.push_back(word);
    return argv;
}

// Starts argv[0] with exactly these arguments; the process id, or -1 when it cannot start.
pid_t Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& a : argv)
        pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0].c_str(), nullptr, nullptr, pointers.data(), environ) != 0)
        return -1;
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts without waiting; a thread of its own collects the child's exit so that none stays a zombie.
bool SpawnDetached(const std::vector<std::string>& argv) {
    const pid_t pid = Spawn(argv);
    if (pid < 0)
        return false;
    std::thread([pid] { WaitFor(pid); }).detach();
    return true;
}

bool OnSearchPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments, int* exitCode) {
    const pid_t pid = Spawn(CommandLineOf(program, arguments));
    if (pid < 0)
        return false;
    const int code = WaitFor(pid);
    if (exitCode)
        *exitCode = code;
    return true;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    return SpawnDetached(CommandLineOf(program, arguments));
}

void OpenHelpFile(const std::string& path) {
    if (OnSearchPath("xdg-open"))
        SpawnDetached({"xdg-open", path});
}

void OpenUrl(const std::string& url) {
    if (OnSearchPath("xdg-open"))
        SpawnDetached({"xdg-open", url});
}

} // namespace qx::platform
