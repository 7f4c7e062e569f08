#include "update/DownloadTarget.h"
#include "update/UpgradeTexts.h"

#include <gtest/gtest.h>

namespace qx::update {
namespace {

TargetFolders Folders() {
    TargetFolders f;
    f.current = "/prog";
    f.desktop = "/home/u/Desktop";
    f.myDocuments = "/home/u/Documents";
    f.myPictures = "/home/u/Pictures";
    f.appData = "/home/u/.config";
    f.programFiles = "/opt";
    f.windows = "/usr/share";
    f.system = "/usr/lib";
    f.temp = "/tmp/t";
    f.help = "/usr/share/help";
    f.media = "/usr/share/sounds";
    f.cursors = "/usr/share/icons";
    return f;
}

TEST(DownloadTarget, EntriesResolveToFullPaths) {
    struct Case {
        const char* entry;
        std::optional<std::string> target;
        const char* url;
        bool named;
    };
    const std::vector<Case> cases = {
        {"http://h/a/b.dll", "/prog/b.dll", "http://h/a/b.dll", false},
        {"http://h/a/b.dll=sub\\x.dll", "/prog/sub/x.dll", "http://h/a/b.dll", true},
        {"http://h/x=%TEMP%\\y.txt", "/tmp/t/y.txt", "http://h/x", true},
        {"http://h/x=%Desktop%/y", "/home/u/Desktop/y", "http://h/x", true},
        {"http://h/x=%current%\\qx.exe", "/prog/qx.exe", "http://h/x", true},
        {"http://h/x=%AppData%\\qx\\qx.ini", "/home/u/.config/qx/qx.ini", "http://h/x", true},
        {"http://h/x=%mydocuments%\\d", "/home/u/Documents/d", "http://h/x", true},
        {"http://h/x=%mypictures%\\p", "/home/u/Pictures/p", "http://h/x", true},
        {"http://h/x=%programfiles%\\qx\\a", "/opt/qx/a", "http://h/x", true},
        {"http://h/x=%windows%\\w", "/usr/share/w", "http://h/x", true},
        {"http://h/x=%system%\\s.dll", "/usr/lib/s.dll", "http://h/x", true},
        {"http://h/x=%help%\\h.chm", "/usr/share/help/h.chm", "http://h/x", true},
        {"http://h/x=%media%\\m.wav", "/usr/share/sounds/m.wav", "http://h/x", true},
        {"http://h/x=%cursors%\\c.cur", "/usr/share/icons/c.cur", "http://h/x", true},
        {"http://h/x=a=b", "/prog/a=b", "http://h/x", true},
        {"http://h/x=ab", "/prog/ab", "http://h/x", true},
        {"http://h/x=/etc/passwd", "/prog/etc/passwd", "http://h/x", true},
        {"http://h/x=sub\\\\deep\\f", "/prog/sub/deep/f", "http://h/x", true},
        {"http://h/x=..\\evil.exe", std::nullopt, "", false},
        {"http://h/x=sub\\..\\..\\evil.exe", std::nullopt, "", false},
        {"http://h/x=%current%\\..\\evil.exe", std::nullopt, "", false},
        {"http://h/x=%temp%/../etc/x", std::nullopt, "", false},
        {"http://h/x=sub\\..", std::nullopt, "", false},
        {"http://h/..", std::nullopt, "", false},
        {"http://h/dir/", std::nullopt, "", false},
        {"", std::nullopt, "", false},
        {"http://h/x=sub\\", std::nullopt, "", false},
    };
    for (const Case& c : cases) {
        std::optional<DownloadEntry> entry = ResolveDownloadEntry(c.entry, Folders());
        ASSERT_EQ(entry.has_value(), c.target.has_value()) << c.entry;
        if (!entry)
            continue;
        EXPECT_EQ(entry->target, *c.target) << c.entry;
        EXPECT_EQ(entry->url, c.url) << c.entry;
        EXPECT_EQ(entry->namedTarget, c.named) << c.entry;
    }
}

TEST(DownloadTarget, AnUnknownMacroFolderIsRefused) {
    TargetFolders folders = Folders();
    folders.desktop.clear();
    EXPECT_FALSE(ResolveDownloadEntry("http://h/x=%desktop%\\y", folders));
}

TEST(DownloadTarget, ProgramFolderLeavesTheVirtualStore) {
    EXPECT_EQ(ProgramFolderFor("/opt/qx/", "/home/u"), "/opt/qx");
    EXPECT_EQ(ProgramFolderFor("C:\\Users\\u\\AppData\\Local\\VirtualStore\\Program Files\\qx\\", "/work"), "/work");
}

TEST(UpgradeTexts, NumbersUseTheProcessFormat) {
    EXPECT_EQ(texts::FileSizeText(1536), "Velikost datoteke: 1,5 Kb");
    EXPECT_EQ(texts::FileSizeText(0), "Velikost datoteke: 0,0 Kb");
    EXPECT_EQ(texts::TransferRateText(2048 * 10.25), "Hitrost prenosa: 20,5 Kb/s");
    EXPECT_EQ(texts::RemainingTimeText(3725), "Predvideni čas zaključka: 1:02:05");
    EXPECT_EQ(texts::RemainingTimeText(59), "Predvideni čas zaključka: 0:00:59");
    EXPECT_EQ(texts::FileCounterText(2, 3), "Prenos 2 od 3");
    EXPECT_EQ(texts::MissingFileCaption(404), "Napaka #404");
    EXPECT_EQ(texts::MissingFileQuestion("http://h/a"),
              "Datoteka http://h/a ne obstaja ali je nedostopna.\n\nŽelite preskočiti to datoteko in nadaljevati z "
              "nadgradnjo?");
    EXPECT_EQ(texts::UpgradeQuestion("qx", ""), "Obstaja novejša verzija programa qx.\n\nŽelite nadgraditi program?");
    EXPECT_EQ(texts::UpgradeQuestion("qx", "Popravki."),
              "Obstaja novejša verzija programa qx.\n\nPopravki.\n\nŽelite nadgraditi program?");
    EXPECT_EQ(texts::CompleteNote("qx"), "Nadgradnja datoteke qx je končana.\n\nPritisni na gumb OK za ponovni zagon "
                                         "programa.");
}

} // namespace
} // namespace qx::update
