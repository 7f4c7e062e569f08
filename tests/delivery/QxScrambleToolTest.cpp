#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolCase {
    const char* label;
    std::string shellInput; // what goes before the tool in the pipeline, or empty
    std::string arguments;
    int exitCode;
    std::string output;
};

// Test listings name a case by its label instead of dumping its bytes.
void PrintTo(const ToolCase& c, std::ostream* out) {
    *out << c.label;
}

class QxScrambleTool : public testing::TestWithParam<ToolCase> {};

TEST_P(QxScrambleTool, PrintsTheExpectedForm) {
    const ToolCase& c = GetParam();
    const std::string tool = std::string(QX_BINARY_DIR) + "/bin/qxscramble";
    const std::string line = (c.shellInput.empty() ? "" : c.shellInput + " | ") + "'" + tool + "' " + c.arguments;
    FILE* pipe = popen(line.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    std::size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode);
    EXPECT_EQ(output, c.output);
}

// Reference forms computed outside the program from the scrambling rule.
INSTANTIATE_TEST_SUITE_P(Table, QxScrambleTool,
                         testing::Values(ToolCase{"Argument", "",
                                                  "'\xC4\x8C"
                                                  "as'",
                                                  0, "9EC307A9\n"},
                                         ToolCase{"StandardInputDropsOneLineBreak", "printf 'A\\n'", "", 0, "1B\n"},
                                         ToolCase{"StandardInputCrLf", "printf 'A\\r\\n'", "", 0, "1B\n"},
                                         ToolCase{"EmptyText", "printf ''", "", 0, "\n"},
                                         ToolCase{"Descramble", "", "-d 9ec307a9", 0,
                                                  "\xC4\x8C"
                                                  "as\n"},
                                         ToolCase{"DescrambleFromStandardInput", "echo 1B", "-d", 0, "A\n"},
                                         ToolCase{"NotScrambled", "", "-d XYZ1", 1, ""},
                                         ToolCase{"TooManyArguments", "", "a b", 2, ""}),
                         [](const testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.label); });

} // namespace
