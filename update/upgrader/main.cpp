// The replacement program: started by qx after a completed download as
//   Upgrader4.exe <program's full path> +/afterupgrade<method digit>
// it waits for the program to end, puts every downloaded ".uTMP" file in place of its target
// (all of them or none), runs a downloaded setup for method 1, and starts the program again
// with the restart parameters. On Windows it is a window program: no console appears.
#include "platform/AlertBox.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/ProcessControl.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"

#include <chrono>
#include <thread>

namespace {

// The program was told to end before we were started; give it a minute, then go on regardless.
void WaitForProgramEnd(const std::string& programPath) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (qx::platform::IsProgramRunning(programPath) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

} // namespace

int main(int argc, char** argv) {
    using namespace qx;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::optional<update::UpgraderRequest> request = update::ReadUpgraderArguments(arguments);
    if (!request)
        return 2;
    WaitForProgramEnd(request->programPath);

    std::string queueFile = platform::FolderOf(platform::ExecutablePath()) + update::kUpgraderQueueFileName;
    std::optional<std::vector<std::string>> installed =
        update::InstallDownloadedFiles(queueFile, platform::FolderOf(request->programPath));
    platform::DeleteFilePath(queueFile);
    if (!installed) {
        // The old program is whole again; it starts as it would have without the upgrade.
        platform::ShowAlert(update::texts::kOfferTitle, update::texts::kUpgradeNotCompleted);
    } else {
        // A program file that came over the network has no execute permission of its own.
        platform::MarkExecutable(request->programPath);
        // An external setup is the first file put in place; it runs to its end before the restart.
        if (request->methodDigit == '1' && !installed->empty()) {
            platform::MarkExecutable(installed->front());
            platform::RunAndWait(installed->front(), {});
        }
    }
    return platform::StartProgramAt(request->programPath, {request->restartParameters}) && installed ? 0 : 1;
}
