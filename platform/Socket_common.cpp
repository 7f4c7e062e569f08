#include "platform/Socket.h"

#include <algorithm>

namespace qx::platform {

Socket::~Socket() {
    close();
}

void Socket::runIdle() {
    if (idle_)
        idle_();
}

bool Socket::waitReadable(std::chrono::milliseconds timeout) {
    if (fd_ < 0)
        return false;
    return waitFor(Wait::Read, std::max(timeout, std::chrono::milliseconds(1)));
}

} // namespace qx::platform
