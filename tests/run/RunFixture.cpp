#include "tests/run/RunFixture.h"

#include "run/Choice.h"
#include "run/ExportRun.h"
#include "run/Startup.h"
#include "settings/SettingsFiles.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace qx::test {

namespace {

// ctest generates the sample once for every test (QX_TEST_SAMPLE); a test program run by
// hand generates its own.
const std::string& GeneratedSample() {
    static TempDir folder;
    static const std::string root = [] {
        if (const char* shared = std::getenv("QX_TEST_SAMPLE"))
            return std::string(shared);
        const std::string target = folder.path() + "kerno";
        int status = 0;
        RunFixture::python(std::string(QX_SOURCE_DIR) + "/tools/sample/make_sample.py " + target + " --qxscramble " +
                               QX_BINARY_DIR + "/bin/qxscramble",
                           &status);
        if (status != 0)
            throw std::runtime_error("the sample installation could not be generated");
        return target;
    }();
    return root;
}

} // namespace

std::string RunFixture::python(const std::string& arguments, int* status) {
    const std::string command = std::string(QX_PYTHON) + " " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    const int rc = pclose(pipe.release());
    if (status)
        *status = WEXITSTATUS(rc);
    return output;
}

void RunFixture::SetUp() {
    const std::string copy = "cp -a " + GeneratedSample() + " " + root();
    ASSERT_EQ(std::system(copy.c_str()), 0);
    setenv("VORTANE", root().c_str(), 1);
    unsetenv("VOR_EXTMAIL");
    // Nothing listens there: a descriptor fetch fails at once, so an upload reports failure.
    setenv("QX_HTTPS_ROOT", "https://127.0.0.1:9", 1);
    setenv("QX_HTTP_ROOT", "http://127.0.0.1:9", 1);

    StartupOptions options;
    options.exeFolder = exeFolder();
    const StartupResult started = RunStartupSequence(session, options);
    ASSERT_EQ(started.outcome, StartupOutcome::Ready);
    ui.rootText = started.rootBoxText;
}

void RunFixture::selectUser(const std::string& user) {
    SelectRoot(session, ui.rootText);
    SelectUser(session, user);
    ui.user = user;
}

void RunFixture::writeSettings(const std::string& user, const TUserSettings& settings) {
    WriteUserSettings(userFolder(user) + "QX.INI", settings);
}

TUserSettings RunFixture::sampleSettings(const std::string& user) {
    TUserSettings settings;
    ReadUserSettingsForRun(userFolder(user) + "QX.INI", settings);
    return settings;
}

} // namespace qx::test
