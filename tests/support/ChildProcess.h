#pragma once
#include <string>
#include <vector>

namespace qx::test {

// Whether peer servers can be started: always natively, under Wine when a broker is named.
bool PeerServersAvailable();

// A peer server started for one test. The child must print one line "READY <port>" on
// standard output when it listens; the constructor waits for it (up to 20 s) and the
// destructor stops the child. Natively the test starts the child itself; under Wine the
// peer broker (peer_broker.py, named by QX_PEER_BROKER) starts it on the Linux side.
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
    // Waits (up to 20 s) for the "READY <port>" line; throws naming `program` without it.
    void waitUntilReady(const std::string& program);
    // Appends what `fd` has within `timeoutMs`; false when the child's output has ended.
    static bool ReadSome(int fd, std::string& into, int timeoutMs);

    int pid_ = -1;
    int outFd_ = -1;
    int port_ = 0;
    std::string buffered_;
};

} // namespace qx::test
