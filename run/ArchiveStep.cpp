#include "run/ArchiveStep.h"

#include "text/Error.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchiveName.h"
#include "run/ArchivePassword.h"
#include "text/TextHelpers.h"
#include "zip/FileSelection.h"

namespace qx {
namespace {

constexpr const char* kDamagedArchive = "V arhivski datoteki so napake.\nPonovi arhiviranje.";
constexpr const char* kCountMismatch = "Število datotek v kodiranih podatkih se ne ujema.\nPonovite prenos!";

} // namespace

void ArchiveStep::wireEvents(const Dispatch& dispatch) {
    // Both passes show their progress on the same two bars.
    const auto showPercent = [this](ProgressBar bar) {
        return [this, bar](int percent) {
            ui_.setBarValue(bar, percent);
            ui_.processMessages();
        };
    };
    writer_.setEvents({
        .entryStart =
            [this](const std::string& name) {
                ui_.appendLine(platform::UpperCase(name));
                ui_.processMessages();
            },
        .filePercent = showPercent(ProgressBar::File),
        .totalPercent = showPercent(ProgressBar::Total),
        .outputBlock = [this] { ui_.processMessages(); },
        .complete = [this, dispatch](int entries) { OnArchiveWritten(entries, dispatch); },
    });
    reader_.setEvents({
        .entryStart = [this](const std::string&) { ui_.processMessages(); },
        .filePercent = showPercent(ProgressBar::File),
        .totalPercent = showPercent(ProgressBar::Total),
    });
}

void ArchiveStep::run(const Dispatch& dispatch) {
    const TSessionSelection& selection = session_.selection;
    session_.run.fileCount = CountFolderFiles(selection.workDir);

    for (const char* line : {"", "Stiskanje podatkov", ""}) {
        ui_.appendLine(line);
        ui_.processMessages();
    }

    writer_.setRootFolder(selection.workDir);
    const std::string archiveName = ArchiveName(selection.userDir);
    if (!platform::IsDirectory(selection.outputDir))
        platform::CreateDirectories(selection.outputDir);
    // The archive is written under a name of its own beside its place and takes the archive's
    // name only once it is whole and checked: a full disk or a crash never leaves a cut
    // archive where the next look, a user or a script would take it for the archive.
    archivePath_ = platform::AppendBackslash(selection.outputDir) + archiveName;
    writer_.setTempFolder(selection.outputDir);
    writer_.setArchivePath(platform::AppendBackslash(selection.outputDir) + "~" + archiveName + ".tmp");
    writer_.clearMasks();
    writer_.addMask("*.dbf");

    for (const auto bar : {ProgressBar::File, ProgressBar::Total}) {
        ui_.setBarMaximum(bar, 100);
        ui_.setBarValue(bar, 0);
        ui_.setBarVisible(bar, true);
    }
    ui_.processMessages();

    for (const std::string& path : {archivePath_, writer_.archivePath()})
        if (platform::IsExistingFile(path))
            platform::DeleteFilePath(path);

    const AnsiText password = platform::ToAnsi(ArchivePassword());
    writer_.setPassword(password);
    reader_.setPassword(password);

    wireEvents(dispatch);
    try {
        writer_.pack();
    } catch (...) {
        platform::DeleteFilePath(writer_.archivePath());
        throw;
    }
    platform::DeleteFilePath(writer_.archivePath()); // what stays of an archive that failed its check
}

void ArchiveStep::putInPlace() {
    reader_.setArchivePath(archivePath_); // the checked file is closed before it is renamed
    std::string reason;
    if (!platform::RenameReplacing(writer_.archivePath(), archivePath_, &reason))
        throw Error("Cannot create file \"" + archivePath_ + "\": " + reason);
}

void ArchiveStep::OnArchiveWritten(int /*entriesWritten*/, const Dispatch& dispatch) {
    for (const char* line : {"", "Kontrola zapisa...", ""}) {
        ui_.appendLine(line);
        ui_.processMessages();
    }
    ui_.setBarValue(ProgressBar::File, 0);
    ui_.setBarValue(ProgressBar::Total, 0);

    reader_.setArchivePath(writer_.archivePath());
    reader_.readDirectory();

    const bool allPassed = reader_.testUntilFailure() == reader_.entryCount();
    if (!allPassed)
        ui_.showMessage(kDamagedArchive);
    if (reader_.entryCount() != session_.run.fileCount)
        ui_.showMessage(kCountMismatch);
    ui_.setBarValue(ProgressBar::File, 0);

    if (allPassed)
        putInPlace();
    if (allPassed && dispatch)
        dispatch();

    ui_.setBarVisible(ProgressBar::File, false);
    ui_.setBarVisible(ProgressBar::Total, false);
    ui_.setLogVisible(false);
}

} // namespace qx
