#include "run/ExportRun.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "run/ArchiveStep.h"
#include "run/Dispatch.h"
#include "run/TableCatalogue.h"
#include "run/TableNames.h"
#include "settings/SettingsFiles.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

namespace qx {

namespace {

const char* const kRunInProgress = "Prenos podatkov že poteka. Počakajte, da se konča.";
const char* const kNoUserSelected = "Izberite uporabnika na seznamu.";

// Marks the session busy for as long as the run lasts, on every path.
class RunInProgress {
public:
    explicit RunInProgress(Session& session) : session_(session) { session_.runInProgress = true; }
    ~RunInProgress() { session_.runInProgress = false; }

private:
    Session& session_;
};

void SetEndDate(RunValues& run, DayCount date) {
    run.endDate = date;
    run.endDateKey = FormatYyyymmdd(date);
    run.endDateText = FormatDayMonthYear(date);
}

// Step 12: the work folder emptied, made again, and the copy names deleted one by one
// when the folder itself resisted. A copy name that stays would be packed as this run's.
void EmptyWorkFolder(const std::string& workDir) {
    platform::DeleteTree(workDir);
    if (!platform::CreateDirectories(workDir))
        throw Error("Unable to create directory \"" + workDir + "\"");
    for (const char* name : tables::kAll) {
        const std::string path = platform::AppendBackslash(workDir) + platform::LowerCase(name);
        std::string reason;
        if (platform::PathExists(path) && !platform::DeleteFilePath(path, &reason))
            throw Error("Cannot delete file \"" + path + "\": " + reason);
    }
}

// Steps 13 to 20: the tables in their fixed order.
void CopyTables(Session& session, OperatorInterface& ui, const TableSources& sources) {
    const TUserSettings& settings = session.settings;
    TableCatalogue catalogue(session, ui, sources);

    catalogue.wholeFileCopy(sources.popa);
    catalogue.readCompanyRecord();
    catalogue.wholeFileCopy(sources.pers);
    catalogue.wholeFileCopy(sources.vstr);
    if (sources.orge)
        catalogue.wholeFileCopy(*sources.orge);
    catalogue.wholeFileCopy(sources.mate);
    if (settings.Ziro || settings.Stro)
        catalogue.bankAccountTextCopy();

    // Copy-all mode copies the tables whole; date mode keeps the documents of the period only,
    // and copies KNZR last.
    const bool whole = settings.Kopiraj1;
    auto copy = [&](const CatalogueTable& table) {
        if (whole)
            catalogue.wholeFileCopy(table.source);
        else
            catalogue.filteredCopy(table);
    };
    if (settings.Racn) {
        copy(sources.racn);
        copy(sources.racp);
        if (platform::PathExists(sources.gotg.source))
            copy(sources.gotg);
        if (platform::PathExists(sources.gotp.source))
            copy(sources.gotp);
    }
    if (settings.Stro)
        copy(sources.stro);
    if (settings.Ptnl)
        copy(sources.ptnl);
    if (whole && settings.Ziro)
        copy(sources.knzr);
    if (settings.Doba) {
        copy(sources.prac);
        copy(sources.prap);
    }
    if (!whole && settings.Ziro)
        copy(sources.knzr);
}

void RunSettingsDialog(Session& session, OperatorInterface& ui) {
    const std::string path = UserSettingsPath(session.selection);
    ReadUserSettingsForDialog(path, session.settings);
    TUserSettings edited = session.settings;
    if (!ui.editSettings(edited, "Nastavitve za uporabnika " + session.selection.userDir))
        return;
    session.settings = edited;
    session.selection.outputDir = edited.Dest;
    WriteUserSettings(path, session.settings);
}

void ExportRun(Session& session, OperatorInterface& ui) {
    TSessionSelection& selection = session.selection;
    session.serviceNoticeAddress.clear();
    session.delivery = DeliveryOutcome::None;

    const std::string settingsPath = UserSettingsPath(selection);
    if (!platform::IsExistingFile(settingsPath))
        RunSettingsDialog(session, ui);
    if (!platform::IsExistingFile(UserSettingsPath(selection))) {
        ui.showMessage("Ne najedem nastavitvene datoteke.");
        return;
    }
    ReadUserSettingsForRun(UserSettingsPath(selection), session.settings);

    if (selection.outputDir.empty())
        throw Error("Unable to create directory");
    if (!platform::IsDirectory(selection.outputDir))
        platform::CreateDirectories(selection.outputDir);
    if (!platform::IsDirectory(selection.outputDir)) {
        ui.showMessage("Ne morem pisati v mapo " + selection.outputDir);
        return;
    }

    SetEndDate(session.run, platform::Today());
    if (!session.settings.Kopiraj1 && session.settings.AskDate) {
        if (std::optional<DayCount> confirmed = ui.askEndDate(platform::Today()))
            SetEndDate(session.run, *confirmed);
    }

    // The choice as the window shows it now; a typed root gets its trailing separator so that
    // the user's paths are built inside it.
    const std::string rootText = ui.rootBoxText();
    selection.dataRoot = rootText.empty() ? rootText : platform::AppendBackslash(rootText);
    selection.userDir = ui.selectedUser().value_or(selection.userDir);
    session.settings.Dest = selection.outputDir;
    WriteSavedChoice(selection, selection.dataRoot, selection.userDir);

    const TableSources sources = ResolveTableSources(selection.dataRoot, selection.userDir);

    ui.clearLog();
    ui.setLogVisible(true);
    ui.appendLine("Prepis podatkov v delovno mapo");
    ui.appendLine("");
    EmptyWorkFolder(selection.workDir);

    CopyTables(session, ui, sources);

    ArchiveStep archive(session, ui);
    archive.run([&] { Dispatch(session, ui, archive.archivePath()); });
}

} // namespace

std::string UserSettingsPath(const TSessionSelection& selection) {
    return selection.dataRoot + selection.userDir + platform::kPathSeparator + "QX.INI";
}

DeliveryOutcome StartTransfer(Session& session, OperatorInterface& ui) {
    if (session.runInProgress) {
        ui.showMessage(kRunInProgress);
        return DeliveryOutcome::None;
    }
    if (!ui.selectedUser()) {
        ui.showMessage(kNoUserSelected);
        return DeliveryOutcome::None;
    }
    // Another process (a scheduled qxbatch, a second window) may be running over the same work folder.
    const platform::FolderLock workFolder(session.selection.workDir);
    if (workFolder.state() == platform::FolderLock::State::Busy) {
        ui.showMessage(kRunInProgress);
        return DeliveryOutcome::None;
    }
    if (workFolder.state() == platform::FolderLock::State::Failed)
        throw Error("Cannot lock the work folder \"" + session.selection.workDir + "\": " + workFolder.reason());
    RunInProgress guard(session);
    ExportRun(session, ui);
    return session.delivery;
}

void EditUserSettings(Session& session, OperatorInterface& ui) {
    if (session.runInProgress) {
        ui.showMessage(kRunInProgress);
        return;
    }
    RunSettingsDialog(session, ui);
}

} // namespace qx
