// flock: the lock belongs to the open file and goes with its last descriptor, so a process
// that dies leaves nothing behind. The lock file itself stays; removing it would let two
// processes lock two different files of the same name.
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qx::platform {

FolderLock::FolderLock(const std::string& folder) {
    const std::string path = ResolvePath(LockFilePath(folder));
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason_ = std::strerror(errno);
        return;
    }
    int result;
    do
        result = flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        close(fd);
        state_ = error == EWOULDBLOCK ? State::Busy : State::Failed;
        reason_ = std::strerror(error);
        return;
    }
    handle_ = fd;
    state_ = State::Held;
}

FolderLock::~FolderLock() {
    if (handle_ >= 0)
        close(static_cast<int>(handle_)); // releases the lock
}

} // namespace qx::platform
