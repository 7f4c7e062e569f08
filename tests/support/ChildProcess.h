#pragma once
#include <string>
#include <vector>

namespace qx::test {

// A peer server started for one test. The child must print one line "READY <port>" on
// standard output when it listens; the constructor waits for it (up to 20 s) and the
// destructor stops the child with SIGTERM, then SIGKILL.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int port() const { return port_; }
    int pid() const { return pid_; }
    // The lines the child printed after its READY line, read so far (waits up to `seconds` for more).
    std::string readOutput(double seconds = 0.2);

private:
    int pid_ = -1;
    int outFd_ = -1;
    int port_ = 0;
    std::string buffered_;
};

} // namespace qx::test
