#include "BuildConfig.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
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

TEST(Environment, BuiltInRootsGiveWayToTheVariable) {
    struct Case {
        std::optional<std::string> value; // nullopt: the variable is not set
        std::string builtIn, root;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "http://www.example.com", "http://www.example.com"},
        {std::nullopt, "http://www.example.com//", "http://www.example.com"},
        {"", "http://www.example.com", "http://www.example.com"}, // empty reads as not set
        {"https://127.0.0.1:8443/", "http://www.example.com", "https://127.0.0.1:8443"},
        {"http://127.0.0.1:8080///", "http://www.example.com", "http://127.0.0.1:8080"},
        {"/", "http://www.example.com", ""},
    };
    for (const Case& c : cases) {
        if (c.value)
            test::SetEnvironment("QX_TEST_ROOT", c.value->c_str());
        else
            test::UnsetEnvironment("QX_TEST_ROOT");
        EXPECT_EQ(RootOrOverride("QX_TEST_ROOT", c.builtIn), c.root) << c.value.value_or("(not set)");
    }
    test::UnsetEnvironment("QX_TEST_ROOT");
}

TEST(Environment, ExecutableFolderAndVersion) {
    EXPECT_EQ(ExecutableFolder() + FileNameOf(ExecutablePath()), ExecutablePath());
    EXPECT_EQ(FileNameOf(ExecutablePath()), kHasDriveLetters ? "platform_tests.exe" : "platform_tests");
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
    EXPECT_EQ(TempFolder().back(), kPathSeparator);
}

// The programs each platform has for sure: POSIX's shell tools, Windows' cmd.exe.
struct ProgramCase {
    std::string program;
    std::vector<std::string> arguments;
    int exitCode; // -2: any code but 0
};

std::vector<ProgramCase> ProgramCases(const test::TempDir& dir) {
    if (kHasDriveLetters)
        return {{"cmd.exe", {"/c", "exit", "7"}, 7}, {"cmd.exe", {"/c", "exit", "0"}, 0}};
    return {{"/bin/sh", {dir.file("missing-script")}, -2}, {"/bin/false", {}, 1}, {"/bin/true", {}, 0}};
}

TEST(Process, ExitCodesAndProgramsThatCannotStart) {
    test::TempDir dir;
    for (const ProgramCase& c : ProgramCases(dir)) {
        int code = -1;
        ASSERT_TRUE(RunAndWait(c.program, c.arguments, &code)) << c.program;
        if (c.exitCode == -2)
            EXPECT_NE(code, 0) << c.program;
        else
            EXPECT_EQ(code, c.exitCode) << c.program;
        EXPECT_TRUE(StartDetached(c.program, c.arguments)) << c.program;
    }
    int code = -1;
    EXPECT_FALSE(RunAndWait(dir.file("no-such-program"), {}, &code));
    EXPECT_FALSE(StartDetached(dir.file("no-such-program"), {}));
}

// A script that writes how many arguments it got and the first two, then ends with 7.
TEST(Process, ArgumentsAreJoinedAndSplitAtBlanksAsOnWindows) {
    test::TempDir dir;
    std::string program;
    std::vector<std::string> arguments;
    if (kHasDriveLetters) {
        test::WriteWholeFile(dir.file("count.bat"), "@echo %1:%2:%3> \"%~f0.out\"\r\n@exit 7\r\n");
        program = "cmd.exe";
        arguments = {"/c", dir.file("count.bat"), "a b", "c"};
    } else {
        test::WriteWholeFile(dir.file("count.sh"), "#!/bin/sh\necho \"$#:$1:$2\" > \"$0.out\"\nexit 7\n");
        ASSERT_EQ(chmod(dir.file("count.sh").c_str(), 0755), 0);
        program = dir.file("count.sh");
        arguments = {"a b", "c"};
    }
    int code = 0;
    ASSERT_TRUE(RunAndWait(program, arguments, &code));
    EXPECT_EQ(code, 7);
    const std::string expected = kHasDriveLetters ? "a:b:c\r\n" : "3:a:b\n";
    const std::string script = kHasDriveLetters ? "count.bat" : "count.sh";
    EXPECT_EQ(test::ReadWholeFile(dir.file(script + ".out")), expected);
}

} // namespace
} // namespace qx::platform
