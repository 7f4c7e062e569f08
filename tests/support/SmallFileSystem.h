#pragma once
// A small tmpfs mounted on a folder for one test, to meet a full disk or a second file
// system where users meet them. Mounting needs root; elsewhere `skipReason()` says why.
#include <cstddef>
#include <string>

namespace qx::test {

class SmallFileSystem {
public:
    // Mounts `bytes` of tmpfs on `folder` (made when missing).
    SmallFileSystem(const std::string& folder, std::size_t bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return skipReason_; }
    // Remounts read-only: nothing in it can be deleted or written any more.
    bool makeReadOnly();

private:
    std::string folder_;
    bool mounted_ = false;
    std::string skipReason_;
};

} // namespace qx::test

// Skips the test with the reason when the file system could not be mounted.
#define QX_SKIP_UNLESS_MOUNTED(fs)                                                                                     \
    do {                                                                                                               \
        if (!(fs).mounted())                                                                                           \
            GTEST_SKIP() << (fs).skipReason();                                                                         \
    } while (0)
