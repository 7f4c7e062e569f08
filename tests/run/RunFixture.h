#pragma once
// A sample KERNO installation (generated once per test program, copied for each test),
// a program folder of the test's own, and a session started on them as the window starts.
#include "session/Session.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace qx::test {

class RunFixture : public ::testing::Test {
public:
    // Runs a Python helper (tests/dbf/dbf_fixtures.py and friends) and returns its standard output.
    static std::string python(const std::string& arguments, int* status = nullptr);

protected:
    void SetUp() override;

    // Selects `user` as the window would (root box entry, then a click on the user).
    void selectUser(const std::string& user);
    // Replaces the user's QX.INI with `settings`.
    void writeSettings(const std::string& user, const TUserSettings& settings);
    // The sample's QX.INI of `user` as the run reads it.
    TUserSettings sampleSettings(const std::string& user);

    std::string root() const { return dir_.path() + "kerno/"; }
    std::string userFolder(const std::string& user) const { return root() + user + "/"; }
    std::string exeFolder() const { return dir_.path() + "bin/"; }
    std::string workFile(const std::string& name) const { return session.selection.workDir + name; }
    TempDir dir_;
    Session session;
    RecordingOperator ui;
};

} // namespace qx::test
