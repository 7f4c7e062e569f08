// LockFileEx on a file beside the folder: the system releases the lock when the handle
// closes, also when the process is ended. The lock file itself stays.
#include "platform/FolderLock.h"
#include "platform/WideText_win32.h"

namespace qx::platform {

FolderLock::FolderLock(const std::string& folder) {
    HANDLE file = CreateFileW(Widen(LockFilePath(folder)).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason_ = SystemErrorText(GetLastError());
        return;
    }
    OVERLAPPED at{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        state_ = error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? State::Busy : State::Failed;
        reason_ = SystemErrorText(error);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    state_ = State::Held;
}

FolderLock::~FolderLock() {
    if (state_ == State::Held)
        CloseHandle(reinterpret_cast<HANDLE>(handle_)); // releases the lock
}

} // namespace qx::platform
