// Folder rights as POSIX has them; a Windows folder that refuses listing is made otherwise.
#include "platform/FileSystem.h"
#include "run/UserDirectories.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx {
namespace {

using test::TempDir;

class ListingRights : public ::testing::Test {
protected:
    void folder(const std::string& name) { ASSERT_TRUE(platform::CreateDirectories(dir.file(name))); }
    TempDir dir;
};

// An unreadable root lists the common entry alone. Root reads every folder, so the listing
// runs in a child process that gives up its rights first.
TEST_F(ListingRights, UnreadableRoot) {
    folder("zaprta/firma.p");
    ASSERT_EQ(chmod(dir.file("zaprta").c_str(), 0), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string root = dir.file("zaprta/");
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                std::_Exit(2);
            std::_Exit(ListUserDirectories(root) == std::vector<std::string>{"SKUPNO    "} ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    chmod(dir.file("zaprta").c_str(), 0755);
}

} // namespace
} // namespace qx
