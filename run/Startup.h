#pragma once
// The start-up sequence of the main window, without the window: fills the Session and
// reports what the window shows. The update offer and the table engine's start-up calls
// belong to other parts and come in as hooks.
#include "session/Session.h"
#include <functional>
#include <optional>
#include <string>

namespace qx {

inline const std::string kRootListMissing =
    "Environment spremenljivka VORTANE ni definirana.\rIzvajanje programa ni možno.";

struct StartupOptions {
    // Step 1, the update offer; start-up goes on whatever it does.
    std::function<void()> updateOffer;
    // Step 5, the table engine's start-up calls, which take the executable's folder.
    std::function<void(const AnsiText& exeDir)> engineStartup;
    // The executable's folder with its trailing separator; the real one when not given (tests replace it).
    std::optional<std::string> exeFolder;
};

enum class StartupOutcome {
    Ready,           // the window waits for the operator
    RootListMissing, // VORTANE is empty: show `message` and end the program
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::Ready;
    std::string message;      // the text to show before ending, for RootListMissing
    std::string versionLabel; // "V3.0.22"
    std::string rootBoxText;  // the root box's text
    int selectedRoot = -1;    // index into selection.rootBoxEntries, -1 for none
    int selectedUser = -1;    // index into selection.userList, -1 for none
};

// The most data roots the root box offers; later ones in VORTANE are left out.
constexpr int kMaxRoots = 255;

// "V" + the first three parts of the file version.
std::string VersionLabel(const std::string& fileVersion);

StartupResult RunStartupSequence(Session& session, const StartupOptions& options);

} // namespace qx
