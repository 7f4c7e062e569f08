// The user's mail program on POSIX: xdg-email opens its compose window with everything filled in.
#include "platform/MailClient.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace qx::platform {

bool SendWithMailClient(const MailClientMessage& message) {
    std::vector<std::string> args = {"xdg-email", "--utf8", "--subject", FromAnsi(message.subject)};
    if (message.body) {
        args.push_back("--body");
        args.push_back(FromAnsi(*message.body));
    }
    if (message.attachmentPath) {
        args.push_back("--attach");
        args.push_back(FromAnsi(*message.attachmentPath));
    }
    args.push_back(FromAnsi(message.recipient));

    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace qx::platform
