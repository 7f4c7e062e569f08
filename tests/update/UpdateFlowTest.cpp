// The update flow without a display: what each outcome of the information file and of each
// downloaded file leads to, read from a view and transfers that record what they are asked.
#include "update/UpdateFlow.h"
#include "tests/support/TempDir.h"
#include "tests/update/SignedRelease.h"
#include "update/FileDownload.h"
#include "update/UpgradeTexts.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qx::update {
namespace {

using Calls = std::vector<std::string>;
namespace fs = std::filesystem;

class RecordingView : public UpdateView, public UpdateTransfers {
public:
    bool askToUpgrade(const std::string& question) override { return answer("upgrade? " + question); }
    void openInBrowser(const std::string& url) override { calls.push_back("browser " + url); }
    void openWizard() override { calls.push_back("wizard"); }
    void startFile(int number, int count) override {
        calls.push_back("file " + std::to_string(number) + "/" + std::to_string(count));
    }
    void fileStarted(std::optional<std::uint64_t> size) override {
        calls.push_back("size " + (size ? std::to_string(*size) : std::string("?")));
    }
    void fileProgress(std::uint64_t received) override { calls.push_back("got " + std::to_string(received)); }
    void showComplete(const std::string& programTitle) override { calls.push_back("complete " + programTitle); }
    void closeWizard() override { calls.push_back("close"); }
    bool askToSkip(const std::string& caption, const std::string& question) override {
        return answer("skip? " + caption + " " + question);
    }
    void showError(const std::string& text) override { calls.push_back("error " + text); }
    std::string upgraderProgram() override { return {}; } // cannot be started
    void wentIdle() override { calls.push_back("idle"); }

    bool fetchInformation(const std::string& url) override {
        calls.push_back("fetch " + url);
        return true;
    }
    bool download(const DownloadEntry& entry) override {
        calls.push_back("download " + entry.url);
        return true;
    }
    void requestCancel() override { calls.push_back("cancel"); }
    void cancelAndWait() override { calls.push_back("cancel and wait"); }

    Calls take() { return std::exchange(calls, {}); }

    std::vector<bool> answers; // the operator's answers, first to last
    Calls calls;

private:
    bool answer(const std::string& question) {
        calls.push_back(question);
        bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return yes;
    }
};

class UpdateFlowSteps : public ::testing::Test {
protected:
    UpdateFlowSteps() {
        setup.informationUrl = "http://127.0.0.1/qx.inf";
        setup.ownVersion = "3.0.23";
        setup.folders.current = dir.path();
        setup.folders.temp = dir.path();
        setup.folders.appData = dir.path();
        setup.programPath = dir.file("qx");
        setup.tempFolder = dir.path();
        setup.programTitle = "qx";
        setup.endApplication = [this] { view.calls.push_back("end"); };
    }

    // Two files to download, as a signed information file carries them.
    static AnsiText TwoFiles(const std::string& more = "") {
        return AnsiText("#version=3.1\r\n#message={Nova.}\r\n#url1=http://h/a.dat\r\n#url2=http://h/b.dat\r\n" +
                        test::FileCheckLines("1", "a") + test::FileCheckLines("2", "b") + more);
    }

    // Accepted and the wizard open on the first file.
    void OpenWizard(UpdateFlow& flow) {
        view.answers = {true};
        flow.startUpgrade();
        flow.informationArrived(TransferOutcome::Complete, TwoFiles());
        view.take();
    }

    test::TempDir dir;
    RecordingView view;
    UpgradeSetup setup;
};

TEST_F(UpdateFlowSteps, TheInformationFileLeadsToTheQuestionOrNothing) {
    const std::string question = "upgrade? " + texts::UpgradeQuestion("qx", "Nova.");
    struct Case {
        const char* name;
        bool check; // the just-check form, else the full one
        TransferOutcome outcome;
        AnsiText text;
        std::vector<bool> answers;
        Calls calls;
        bool available;
    };
    const std::vector<Case> cases = {
        {"check: newer", true, TransferOutcome::Complete, TwoFiles(), {}, {"idle"}, true},
        {"check: same version",
         true,
         TransferOutcome::Complete,
         AnsiText("#version=3.0.23\r\n#url1=a"),
         {},
         {"idle"},
         false},
        {"check: broken off",
         true,
         TransferOutcome::BrokenOff,
         {},
         {},
         {"error " + std::string(texts::kConnectionLost), "idle"},
         false},
        {"check: unsigned", true, TransferOutcome::Unsigned, {}, {}, {"idle"}, false},
        {"check: no answer", true, TransferOutcome::NoAnswer, {}, {}, {"idle"}, false},
        {"later", false, TransferOutcome::Complete, TwoFiles(), {false}, {question, "idle"}, false},
        {"yes",
         false,
         TransferOutcome::Complete,
         TwoFiles(),
         {true},
         {question, "wizard", "file 1/2", "download http://h/a.dat"},
         false},
        {"yes to a page",
         false,
         TransferOutcome::Complete,
         AnsiText("#version=3.1\r\n#message={Nova.}\r\n#method=2\r\n#url1=www.example.si/qx\r\n"),
         {true},
         {question, "browser http://www.example.si/qx", "idle"},
         false},
        {"full: nothing newer", false, TransferOutcome::Complete, AnsiText("#version=3.0\r\n"), {}, {"idle"}, false},
        {"full: broken off",
         false,
         TransferOutcome::BrokenOff,
         {},
         {},
         {"error " + std::string(texts::kConnectionLost), "idle"},
         false},
    };
    for (const Case& c : cases) {
        UpdateFlow flow(setup, view, view);
        view.answers = c.answers;
        if (c.check)
            EXPECT_TRUE(flow.startCheck()) << c.name;
        else
            flow.startUpgrade();
        EXPECT_EQ(view.take(), Calls{"fetch http://127.0.0.1/qx.inf"}) << c.name;
        flow.informationArrived(c.outcome, c.text);
        EXPECT_EQ(view.take(), c.calls) << c.name;
        EXPECT_EQ(flow.updateAvailable(), c.available) << c.name;
    }
}

TEST_F(UpdateFlowSteps, EachOutcomeOfAFileLeadsToItsStep) {
    const std::string uTmp = dir.file("a.dat") + kTemporarySuffix;
    const std::vector<std::string> stopped = {"cancel and wait", "close", "idle"};
    auto then = [&](Calls calls, const std::vector<std::string>& more) {
        calls.insert(calls.end(), more.begin(), more.end());
        return calls;
    };
    const std::string skip = "skip? Napaka #404 " + texts::MissingFileQuestion("http://h/a.dat");
    struct Case {
        const char* name;
        TransferOutcome outcome;
        std::vector<bool> answers;
        Calls calls;
    };
    const std::vector<Case> cases = {
        {"complete", TransferOutcome::Complete, {}, {"file 2/2", "download http://h/b.dat"}},
        {"missing, skipped", TransferOutcome::ErrorStatus, {true}, {skip, "file 2/2", "download http://h/b.dat"}},
        {"missing, not skipped", TransferOutcome::ErrorStatus, {false}, then({skip}, stopped)},
        {"broken off", TransferOutcome::BrokenOff, {}, then({"error " + std::string(texts::kConnectionLost)}, stopped)},
        {"too large", TransferOutcome::TooLarge, {}, then({"error " + std::string(texts::kConnectionLost)}, stopped)},
        {"not writable", TransferOutcome::WriteFailed, {}, then({"error " + texts::FileNotWritable(uTmp)}, stopped)},
        {"no answer", TransferOutcome::NoAnswer, {}, stopped},
        {"unsigned", TransferOutcome::Unsigned, {}, stopped},
        {"cancelled", TransferOutcome::Cancelled, {}, stopped},
    };
    for (const Case& c : cases) {
        UpdateFlow flow(setup, view, view);
        OpenWizard(flow);
        test::WriteWholeFile(uTmp, "a");
        view.answers = c.answers;
        flow.fileFinished({c.outcome, 404, std::nullopt});
        EXPECT_EQ(view.take(), c.calls) << c.name;
        EXPECT_EQ(fs::exists(uTmp), c.outcome == TransferOutcome::Complete) << c.name;
        fs::remove(uTmp);
    }
}

TEST_F(UpdateFlowSteps, TheWizardReportsOnlyWhileItDownloads) {
    UpdateFlow flow(setup, view, view);
    flow.fileStarted(10);
    flow.fileProgress(5);
    EXPECT_TRUE(view.take().empty());
    OpenWizard(flow);
    flow.fileStarted(std::nullopt);
    flow.fileProgress(5);
    EXPECT_EQ(view.take(), (Calls{"size ?", "got 5"}));

    // A stop ends the upgrade; what the cancelled transfer reports afterwards changes nothing.
    EXPECT_TRUE(flow.stoppable());
    flow.stop();
    EXPECT_EQ(view.take(), (Calls{"cancel and wait", "close", "idle"}));
    flow.fileFinished({TransferOutcome::Complete, 200, std::nullopt});
    flow.fileProgress(6);
    flow.stop();
    flow.confirm();
    EXPECT_TRUE(view.take().empty());
    EXPECT_TRUE(flow.idle());
}

TEST_F(UpdateFlowSteps, TheCompleteUpgradeWaitsForTheOperator) {
    UpdateFlow flow(setup, view, view);
    OpenWizard(flow);
    flow.fileFinished({TransferOutcome::Complete, 200, 1000000000});
    flow.fileFinished({TransferOutcome::Complete, 200, std::nullopt});
    EXPECT_EQ(view.take(), (Calls{"file 2/2", "download http://h/b.dat", "complete qx"}));
    EXPECT_TRUE(flow.stoppable());

    // A replacement program that cannot start: the operator hears it and the downloads go.
    test::WriteWholeFile(dir.file("b.dat") + kTemporarySuffix, "b");
    flow.confirm();
    EXPECT_EQ(view.take(),
              (Calls{"error " + std::string(texts::kUpgraderNotStarted), "cancel and wait", "close", "idle"}));
    EXPECT_FALSE(fs::exists(dir.file("b.dat") + kTemporarySuffix));
}

TEST_F(UpdateFlowSteps, TheFullFormRemovesTheOldNotesAndACheckCanBeGivenUp) {
    test::WriteWholeFile(dir.file("upgrade.txt"), "old notes");
    UpdateFlow flow(setup, view, view);
    flow.startUpgrade();
    EXPECT_FALSE(fs::exists(dir.file("upgrade.txt")));
    flow.startUpgrade(); // already fetching
    EXPECT_FALSE(flow.startCheck());
    EXPECT_EQ(view.take(), Calls{"fetch http://127.0.0.1/qx.inf"});
    flow.informationArrived(TransferOutcome::NoAnswer, {});
    view.take();

    ASSERT_TRUE(flow.startCheck());
    flow.giveUpCheck();
    EXPECT_EQ(view.take(), (Calls{"fetch http://127.0.0.1/qx.inf", "cancel", "idle"}));
    flow.informationArrived(TransferOutcome::Complete, TwoFiles());
    EXPECT_FALSE(flow.updateAvailable());
    EXPECT_TRUE(view.take().empty());
}

} // namespace
} // namespace qx::update
