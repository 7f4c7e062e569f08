// The whole update through the real component and dialogs (offscreen), against a real
// server on 127.0.0.1: the offer, the question, the wizard, the downloads, failures, the
// cancel, and the hand-over to the replacement program that restarts a stand-in program.
#include "app/qt/MessageBox.h"
#include "app/qt/UpdateOffer.h"
#include "app/qt/UpgradeController.h"
#include "app/qt/UpgradeWizard.h"
#include "tests/update/SignedRelease.h"
#include "tests/update/UpdateServer.h"
#include "update/UpgradeTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace qx::update {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::UpdateServer;
using test::WriteWholeFile;
using widgets::MessageBox;
using Answer = MessageBox::Answer;
namespace fs = std::filesystem;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <typename T> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Dispatches window messages until `done` holds or `seconds` pass.
template <typename F> bool WaitFor(F done, double seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QTest::qWait(20);
    return done();
}

std::string Payload(std::size_t size, int seed) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 31 + seed) % 251);
    return bytes;
}

class UpgradeFlow : public ::testing::Test {
protected:
    UpgradeFlow() {
        for (const char* folder : {"prog", "tmp", "appdata"})
            fs::create_directories(dir.file(folder));
        WriteWholeFile(prog("standin"), "#!/bin/sh\necho \"old $@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
        fs::permissions(prog("standin"), fs::perms::owner_all);
        WriteWholeFile(prog("app.dat"), "old data");
        UpdateServer::Publish(dir.file("www/"), "files/standin",
                              "#!/bin/sh\necho \"new $@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
        UpdateServer::Publish(dir.file("www/"), "files/app.dat", Payload(20000, 1));
        UpdateServer::Publish(dir.file("www/"), "files/big.bin", Payload(3000000, 2));
        fs::last_write_time(dir.file("www/files/app.dat"), fs::file_time_type::clock::now() - std::chrono::hours(30));
        server = std::make_unique<UpdateServer>(dir.file("www/"));
        MessageBox::resetForTests();
    }
    ~UpgradeFlow() override { MessageBox::resetForTests(); }

    std::string prog(const std::string& name) { return dir.file("prog/" + name); }
    std::string url(const std::string& path) { return server->url(path); }

    // The information file as the maker publishes it: signed with the tests' maker key.
    void PublishInformation(const std::string& text, const std::string& key = test::MakerTestKey()) {
        test::PublishSigned(dir.file("www/prenos/qfd/qx.inf"), text, key);
    }
    // The size and hash keys for the file the server has at `path` (under www/).
    std::string Vouch(const std::string& suffix, const std::string& path) {
        return test::FileCheckLines(suffix, fs::exists(dir.file("www/" + path)) ? ReadWholeFile(dir.file("www/" + path))
                                                                                : std::string());
    }

    std::unique_ptr<UpgradeController> Component(std::string informationUrl = "") {
        UpgradeSetup setup;
        setup.informationUrl = informationUrl.empty() ? url("/prenos/qfd/qx.inf") : informationUrl;
        setup.ownVersion = "3.0.23";
        setup.folders.current = dir.file("prog");
        setup.folders.temp = dir.file("tmp");
        setup.folders.appData = dir.file("appdata");
        setup.programPath = prog("standin");
        setup.tempFolder = dir.file("tmp");
        setup.programTitle = texts::kProgramTitle;
        setup.endApplication = [this] { applicationEnded = true; };
        return std::make_unique<UpgradeController>(nullptr, setup);
    }

    // Offers and agrees twice (the program's box and the component's own question); `later`
    // answers the boxes that follow.
    void OfferAndAgree(UpgradeController& component, std::vector<Answer> later = {}) {
        MessageBox::setNextAnswer(Answer::Yes);
        MessageBox::setNextAnswer(Answer::Yes);
        for (Answer answer : later)
            MessageBox::setNextAnswer(answer);
        OfferUpdate(nullptr, component);
    }

    bool Complete(UpgradeController& component) {
        return component.wizardForTests() &&
               Child<QPushButton>(component.wizardForTests(), "nextButton")->text() == Q(texts::kOkButton);
    }

    std::vector<std::string> TemporaryFiles() {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            if (entry.path().extension() == ".uTMP")
                found.push_back(entry.path().string());
        return found;
    }

    TempDir dir;
    std::unique_ptr<UpdateServer> server;
    bool applicationEnded = false;
};

TEST_F(UpgradeFlow, AWholeUpgradeRestartsTheProgram) {
    WriteWholeFile(prog("upgrade.txt"), "notes of the old version");
    PublishInformation("#version=3.0.24\r\n#message={Nova verzija.}\r\n#url1=" + url("/files/standin") +
                       "\r\n#url2=" + url("/files/app.dat") + "=%AppData%\\qx\\app.dat\r\n" +
                       Vouch("1", "files/standin") + Vouch("2", "files/app.dat"));
    WriteWholeFile(dir.file("tmp/Upgrader4.exe"), "left over");
    auto component = Component();
    EXPECT_FALSE(fs::exists(dir.file("tmp/Upgrader4.exe")));

    OfferAndAgree(*component);
    EXPECT_FALSE(fs::exists(prog("upgrade.txt")));
    std::vector<MessageBox::Shown> shown = MessageBox::takeShownForTests();
    ASSERT_EQ(shown.size(), 1u); // the component asks once the information file is there again
    EXPECT_EQ(shown[0].title, "Nadgradnja programa");
    EXPECT_EQ(shown[0].text, "Obstaja novejša verzija programa. \r\nAli naj nadgradim program?");

    ASSERT_TRUE(WaitFor([&] { return Complete(*component); }));
    shown = MessageBox::takeShownForTests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Čarovnik za nadgradnjo");
    EXPECT_EQ(shown[0].text, texts::UpgradeQuestion(texts::kProgramTitle, "Nova verzija."));

    UpgradeWizard* wizard = component->wizardForTests();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(Child<QLabel>(wizard, "title")->text(), Q("Nadgradnja je končana!"));
    EXPECT_EQ(Child<QLabel>(wizard, "counter")->text(), Q("Prenos 2 od 2"));
    EXPECT_EQ(Child<QLabel>(wizard, "fileSize")->text(), Q("Velikost datoteke: 19,5 Kb"));
    EXPECT_EQ(Child<QProgressBar>(wizard, "totalBar")->value(), 100);
    EXPECT_FALSE(Child<QPushButton>(wizard, "stopButton")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(wizard, "nextButton")->isEnabled());
    EXPECT_EQ(ReadWholeFile(dir.file("appdata/qx/app.dat.uTMP")), Payload(20000, 1));
    struct stat downloaded {
    }, original{};
    stat(dir.file("appdata/qx/app.dat.uTMP").c_str(), &downloaded);
    stat(dir.file("www/files/app.dat").c_str(), &original);
    EXPECT_EQ(downloaded.st_mtime, original.st_mtime);

    QTest::mouseClick(Child<QPushButton>(wizard, "nextButton"), Qt::LeftButton);
    EXPECT_TRUE(applicationEnded);
    EXPECT_EQ(ReadWholeFile(dir.file("tmp/UpgraderQueue.txt")), dir.file("appdata/qx/app.dat") + "\r\n");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(prog("restarted.txt")) && fs::file_size(prog("restarted.txt")) > 0; }));
    EXPECT_EQ(ReadWholeFile(prog("restarted.txt")), "new /afterupgrade0\n");
    EXPECT_EQ(ReadWholeFile(dir.file("appdata/qx/app.dat")), Payload(20000, 1));
    EXPECT_EQ(ReadWholeFile(prog("app.dat")), "old data");
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_TRUE(MessageBox::takeShownForTests().empty());
}

TEST_F(UpgradeFlow, AMissingFileCanBeSkipped) {
    PublishInformation("#version=3.1\r\n#url1=" + url("/files/missing.dat") + "\r\n#url2=" + url("/files/app.dat") +
                       "\r\n" + Vouch("1", "files/missing.dat") + Vouch("2", "files/app.dat"));
    auto component = Component();
    OfferAndAgree(*component, {Answer::Yes}); // skip the missing file
    ASSERT_TRUE(WaitFor([&] { return Complete(*component); }));
    std::vector<MessageBox::Shown> shown = MessageBox::takeShownForTests();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].title, "Napaka #404");
    EXPECT_EQ(shown[2].text, texts::MissingFileQuestion(url("/files/missing.dat")));
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{prog("app.dat.uTMP")});

    // Closing the complete wizard asks the cancel question; yes removes what was downloaded.
    MessageBox::setNextAnswer(Answer::Yes);
    component->wizardForTests()->close();
    shown = MessageBox::takeShownForTests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, texts::kProgramTitle);
    EXPECT_EQ(shown[0].text, "Nadgradnja še ni končana.\nŽelite prekiniti nadgradnjo?");
    EXPECT_TRUE(component->idle());
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_EQ(ReadWholeFile(prog("app.dat")), "old data");
    EXPECT_FALSE(applicationEnded);
}

TEST_F(UpgradeFlow, AMissingFileRefusedEndsTheUpgrade) {
    PublishInformation("#version=3.1\r\n#url1=" + url("/files/app.dat") + "\r\n#url2=" + url("/files/missing.dat") +
                       "\r\n" + Vouch("1", "files/app.dat") + Vouch("2", "files/missing.dat"));
    auto component = Component();
    OfferAndAgree(*component, {Answer::No}); // do not skip
    ASSERT_TRUE(WaitFor([&] { return component->idle(); }));
    EXPECT_EQ(MessageBox::takeShownForTests().size(), 3u);
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_EQ(ReadWholeFile(prog("app.dat")), "old data");
}

TEST_F(UpgradeFlow, ABrokenTransferLeavesTheRealFileAlone) {
    PublishInformation("#version=3.1\r\n#url1=" + url("/short/files/app.dat") + "\r\n" + Vouch("1", "files/app.dat"));
    auto component = Component();
    OfferAndAgree(*component, {Answer::Ok});
    ASSERT_TRUE(WaitFor([&] { return component->idle(); }));
    std::vector<MessageBox::Shown> shown = MessageBox::takeShownForTests();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].title, "Čarovnik za nadgradnjo");
    EXPECT_EQ(
        shown[2].text,
        "Povezava s strežnikom je prekinjena.\n\nVzpostavite povezavo in poskusite\nponoviti nadgradnjo kasneje.");
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_EQ(ReadWholeFile(prog("app.dat")), "old data");
    EXPECT_FALSE(applicationEnded);
}

TEST_F(UpgradeFlow, ACancelInTheMiddleCleansUp) {
    PublishInformation("#version=3.1\r\n#url1=" + url("/slow/files/big.bin") + "\r\n#url2=" + url("/files/app.dat") +
                       "\r\n" + Vouch("1", "files/big.bin") + Vouch("2", "files/app.dat"));
    auto component = Component();
    OfferAndAgree(*component);
    ASSERT_TRUE(WaitFor([&] {
        return component->wizardForTests() && Child<QProgressBar>(component->wizardForTests(), "fileBar")->value() > 0;
    }));
    UpgradeWizard* wizard = component->wizardForTests();
    EXPECT_EQ(Child<QLabel>(wizard, "title")->text(), Q("Prenos podatkov..."));
    EXPECT_EQ(Child<QLabel>(wizard, "fileSize")->text(), Q("Velikost datoteke: 2929,7 Kb"));
    EXPECT_TRUE(Child<QLabel>(wizard, "rate")->text().startsWith(Q("Hitrost prenosa: ")));
    EXPECT_TRUE(Child<QLabel>(wizard, "remaining")->text().startsWith(Q("Predvideni čas zaključka: ")));
    EXPECT_EQ(Child<QLabel>(wizard, "counter")->text(), Q("Prenos 1 od 2"));
    EXPECT_EQ(Child<QPushButton>(wizard, "nextButton")->text(), Q("&Naprej >"));
    EXPECT_FALSE(Child<QPushButton>(wizard, "nextButton")->isEnabled());

    MessageBox::takeShownForTests();
    MessageBox::setNextAnswer(Answer::No); // not yet: the download goes on
    QTest::mouseClick(Child<QPushButton>(wizard, "stopButton"), Qt::LeftButton);
    EXPECT_FALSE(component->idle());
    MessageBox::setNextAnswer(Answer::Yes);
    QTest::mouseClick(Child<QPushButton>(wizard, "stopButton"), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShownForTests().size(), 2u);
    EXPECT_TRUE(component->idle());
    QTest::qWait(100);
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_FALSE(fs::exists(prog("big.bin")));
    EXPECT_FALSE(applicationEnded);
}

TEST_F(UpgradeFlow, NoServerMeansNoMessage) {
    auto component = Component("http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/prenos/qfd/qx.inf");
    auto start = std::chrono::steady_clock::now();
    OfferUpdate(nullptr, *component);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(MessageBox::takeShownForTests().empty());
    EXPECT_TRUE(component->idle());
}

TEST_F(UpgradeFlow, NothingToOfferIsSilent) {
    std::string huge(2 * 1024 * 1024, '#');
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"same version", "#version=3.0.23.0\r\n#url1=" + url("/files/app.dat") + "\r\n" + Vouch("1", "files/app.dat")},
        {"no url", "#version=3.1\r\n"},
        {"a target climbing out",
         "#version=3.1\r\n#url1=" + url("/files/app.dat") + "=..\\..\\app.dat\r\n" + Vouch("1", "files/app.dat")},
        {"binary", std::string("\x00\xff\x01#version=3.1\x00\x02#url1=\x7f\x80", 20)},
        {"huge", huge + "#version=3.1\r\n#url1=" + url("/files/app.dat") + "\r\n" + Vouch("1", "files/app.dat")},
    };
    auto component = Component();
    for (const auto& [name, text] : cases) {
        PublishInformation(text);
        OfferUpdate(nullptr, *component);
        EXPECT_TRUE(MessageBox::takeShownForTests().empty()) << name;
        EXPECT_TRUE(component->idle()) << name;
    }
    EXPECT_TRUE(TemporaryFiles().empty());
}

// What an attacker on the network could answer: an information file the maker did not sign
// offers nothing and shows nothing; a file other than the signed one is a broken transfer.
// Either way nothing is replaced and the old program goes on.
TEST_F(UpgradeFlow, OnlyWhatTheMakerSignedIsInstalled) {
    const std::string genuine = "#version=3.1\r\n#url1=" + url("/files/app.dat") + "\r\n" + Vouch("1", "files/app.dat");
    std::string tampered = genuine;
    tampered.replace(tampered.find("3.1"), 3, "9.9");
    const std::vector<std::pair<const char*, std::function<void()>>> unsigned_ = {
        {"no signature",
         [&] {
             PublishInformation(genuine);
             fs::remove(dir.file("www/prenos/qfd/qx.inf.sig"));
         }},
        {"a tampered information file",
         [&] {
             PublishInformation(genuine);
             WriteWholeFile(dir.file("www/prenos/qfd/qx.inf"), tampered);
         }},
        {"a signature by another key", [&] { PublishInformation(genuine, test::StrangerKey()); }},
    };
    auto component = Component();
    for (const auto& [name, publish] : unsigned_) {
        publish();
        OfferUpdate(nullptr, *component);
        EXPECT_TRUE(MessageBox::takeShownForTests().empty()) << name;
        EXPECT_TRUE(component->idle()) << name;
    }

    std::string changed = Payload(20000, 1);
    changed[100] ^= 0x01;
    UpdateServer::Publish(dir.file("www/"), "files/changed.dat", changed);
    UpdateServer::Publish(dir.file("www/"), "files/longer.dat", Payload(20000, 1) + "more");
    const std::vector<std::pair<const char*, std::string>> wrongFiles = {
        {"a tampered download", "/files/changed.dat"},
        {"cut short without a length", "/cut/files/app.dat"},
        {"longer than stated", "/files/longer.dat"},
        {"longer than stated without a length", "/nolength/files/longer.dat"},
    };
    for (const auto& [name, path] : wrongFiles) {
        PublishInformation("#version=3.1\r\n#url1=" + url(path) + "=app.dat\r\n" + Vouch("1", "files/app.dat"));
        OfferAndAgree(*component, {Answer::Ok});
        ASSERT_TRUE(WaitFor([&] { return component->idle(); })) << name;
        std::vector<MessageBox::Shown> shown = MessageBox::takeShownForTests();
        ASSERT_EQ(shown.size(), 3u) << name;
        EXPECT_EQ(shown[2].text, texts::kConnectionLost) << name;
        EXPECT_TRUE(TemporaryFiles().empty()) << name;
    }
    EXPECT_EQ(ReadWholeFile(prog("app.dat")), "old data");
    EXPECT_FALSE(applicationEnded);
    EXPECT_FALSE(fs::exists(dir.file("tmp/Upgrader4.exe")));
}

TEST_F(UpgradeFlow, LaterEndsTheUpgrade) {
    PublishInformation("#version=3.1\r\n#url1=" + url("/files/app.dat") + "\r\n" + Vouch("1", "files/app.dat"));
    auto component = Component();
    MessageBox::setNextAnswer(Answer::Yes);
    MessageBox::setNextAnswer(Answer::No); // "&Kasneje"
    OfferUpdate(nullptr, *component);
    ASSERT_TRUE(WaitFor([&] { return component->idle(); }));
    EXPECT_EQ(MessageBox::takeShownForTests().size(), 2u);
    EXPECT_EQ(component->wizardForTests(), nullptr);
    EXPECT_TRUE(TemporaryFiles().empty());
}

TEST(UpgradeWizardDialog, TextsAndButtons) {
    UpgradeWizard wizard;
    wizard.show();
    EXPECT_EQ(wizard.windowTitle(), Q("Čarovnik za nadgradnjo"));
    EXPECT_TRUE(wizard.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Child<QLabel>(&wizard, "title")->text(), Q("Prenos podatkov..."));
    EXPECT_EQ(Child<QGroupBox>(&wizard, "currentFile")->title(), Q(" Trenutna datoteka "));
    EXPECT_EQ(Child<QGroupBox>(&wizard, "allFiles")->title(), Q(" Vse datoteke "));
    EXPECT_EQ(Child<QLabel>(&wizard, "fileSize")->text(), Q("Priprava. . ."));
    EXPECT_EQ(Child<QPushButton>(&wizard, "nextButton")->text(), Q("&Naprej >"));
    EXPECT_EQ(Child<QPushButton>(&wizard, "stopButton")->text(), Q("&Zaustavi"));

    wizard.startFile(2, 4);
    wizard.fileStarted(2048);
    QTest::qWait(30);
    wizard.fileProgress(1024);
    EXPECT_EQ(Child<QLabel>(&wizard, "counter")->text(), Q("Prenos 2 od 4"));
    EXPECT_EQ(Child<QLabel>(&wizard, "fileSize")->text(), Q("Velikost datoteke: 2,0 Kb"));
    EXPECT_EQ(Child<QProgressBar>(&wizard, "fileBar")->value(), 50);
    EXPECT_EQ(Child<QProgressBar>(&wizard, "totalBar")->value(), 37); // 50 / 4 + 25

    int stops = 0, oks = 0;
    QObject::connect(&wizard, &UpgradeWizard::stopRequested, [&] { ++stops; });
    QObject::connect(&wizard, &UpgradeWizard::okPressed, [&] { ++oks; });
    QTest::keyClick(&wizard, Qt::Key_Escape);
    wizard.close();
    EXPECT_EQ(stops, 2);
    EXPECT_TRUE(wizard.isVisible());

    wizard.showComplete("qx");
    EXPECT_EQ(Child<QLabel>(&wizard, "title")->text(), Q("Nadgradnja je končana!"));
    EXPECT_EQ(Child<QLabel>(&wizard, "note")->text(),
              Q("Nadgradnja datoteke qx je končana.\n\nPritisni na gumb OK za ponovni zagon programa."));
    QPushButton* ok = Child<QPushButton>(&wizard, "nextButton");
    EXPECT_EQ(ok->text(), Q("&V redu"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(Child<QPushButton>(&wizard, "stopButton")->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(oks, 1);
}

} // namespace
} // namespace qx::update

int main(int argc, char** argv) {
    // Headless unless a display is asked for explicitly.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
