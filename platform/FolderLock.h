#pragma once
// A lock on a folder that one process at a time holds, across processes. It is taken on a
// file beside the folder, because the folder itself is deleted and made again while held,
// and the system drops it when the process ends, however it ends.
#include <cstdint>
#include <string>

namespace qx::platform {

class FolderLock {
public:
    enum class State { Held, Busy, Failed };

    // Tries once, without waiting. Busy when another holder (another process, or another
    // lock of this one) has it; Failed when the lock file cannot be made, `reason` says why.
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }
    const std::string& reason() const { return reason_; }
    // The file the lock is taken on.
    static std::string LockFilePath(const std::string& folder);

private:
    std::intptr_t handle_ = -1;
    State state_ = State::Failed;
    std::string reason_;
};

} // namespace qx::platform
