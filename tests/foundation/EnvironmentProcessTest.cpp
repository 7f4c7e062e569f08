#include "BuildConfig.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qx::platform {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

struct EnvCase {
    std::string value;
    std::string read;
};

TEST(Environment, ValuesReadWithRoomFor1020Characters) {
    const std::vector<EnvCase> cases = {
        {"c:\\data;d:\\knjige\\", "c:\\data;d:\\knjige\\"},
        {"", ""},
        {std::string(1019, 'x'), std::string(1019, 'x')},
        {std::string(1020, 'x'), ""},
        {std::string(5000, 'x'), ""},
        {Repeat("č", 1019), Repeat("č", 1019)}, // counted in characters, not bytes
        {Repeat("č", 1020), ""},
    };
    for (const EnvCase& c : cases) {
        test::SetEnvironment("QX_TEST_VARIABLE", c.value.c_str());
        EXPECT_EQ(GetEnvironmentText("QX_TEST_VARIABLE"), c.read) << c.value.size();
    }
    test::UnsetEnvironment("QX_TEST_VARIABLE");
    EXPECT_EQ(GetEnvironmentText("QX_TEST_VARIABLE"), "");
}

TEST(Environment, ExecutableFolderAndVersion) {
    EXPECT_EQ(ExecutableFolder() + FileNameOf(ExecutablePath()), ExecutablePath());
    EXPECT_EQ(FileNameOf(ExecutablePath()), "foundation_tests");
    EXPECT_EQ(ExecutableFolder().back(), kPathSeparator);
    EXPECT_EQ(ExecutableFileVersion(), QX_FILE_VERSION);
}

TEST(Environment, UniqueTemporaryFiles) {
    test::TempDir dir;
    const std::string a = CreateUniqueTempFile(dir.path());
    const std::string b = CreateUniqueTempFile(dir.path());
    EXPECT_NE(a, b);
    EXPECT_TRUE(IsExistingFile(a));
    EXPECT_EQ(FolderOf(a), dir.path());
    EXPECT_EQ(CreateUniqueTempFile(dir.file("missing/")), "");
    EXPECT_EQ(TempFolder().back(), '/');
}

TEST(Process, ExitCodesAndProgramsThatCannotStart) {
    test::TempDir dir;
    int code = -1;
    ASSERT_TRUE(RunAndWait("/bin/sh", {dir.file("missing-script")}, &code));
    EXPECT_NE(code, 0);
    ASSERT_TRUE(RunAndWait("/bin/false", {}, &code));
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(RunAndWait(dir.file("no-such-program"), {}, &code));
}

TEST(Process, ArgumentsAreJoinedAndSplitAtBlanksAsOnWindows) {
    test::TempDir dir;
    test::WriteWholeFile(dir.file("count.sh"), "#!/bin/sh\necho \"$#:$1:$2\" > \"$0.out\"\nexit 7\n");
    ASSERT_EQ(chmod(dir.file("count.sh").c_str(), 0755), 0);
    int code = 0;
    ASSERT_TRUE(RunAndWait(dir.file("count.sh"), {"a b", "c"}, &code));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(test::ReadWholeFile(dir.file("count.sh.out")), "3:a:b\n");
    EXPECT_TRUE(StartDetached("/bin/true", {}));
    EXPECT_FALSE(StartDetached(dir.file("no-such-program"), {}));
}

} // namespace
} // namespace qx::platform
