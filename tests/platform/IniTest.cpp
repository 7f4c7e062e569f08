#include "platform/Ini.h"
#include "platform/FileSystem.h"
#include "platform/IniDocument.h"
#include "tests/support/TempDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qx::platform {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

struct ReadCase {
    std::string fileText;
    std::string section;
    std::string key;
    std::string expected; // "<fallback>" when the fallback comes back
};

TEST(Ini, ReadTableOfCases) {
    const std::vector<ReadCase> cases = {
        {"[Setup]\r\nSkupno=C:\\DATA\\\r\n", "Setup", "Skupno", "C:\\DATA\\"},
        {"[setup]\r\nSKUPNO=x\r\n", "Setup", "Skupno", "x"},
        {"[ Setup ]\nservis=abc\n", "SETUP", "Servis", "abc"},
        {"[Setup]\r\n  Key  =   spaced value \t\r\n", "Setup", "Key", "spaced value"},
        {"[Setup]\r\nKey=\"quoted \"\r\n", "Setup", "Key", "quoted "},
        {"[Setup]\r\nKey='single'\r\n", "Setup", "Key", "single"},
        {"[Setup]\r\nKey=\"\"x\"\"\r\n", "Setup", "Key", "\"x\""},
        {"[Setup]\r\nKey=\"open\r\n", "Setup", "Key", "\"open"},
        {"[Setup]\r\nKey='mixed\"\r\n", "Setup", "Key", "'mixed\""},
        {"[Setup]\r\nKey=\r\n", "Setup", "Key", ""},
        {"[Setup]\r\nKey=a=b\r\n", "Setup", "Key", "a=b"},
        {"[Setup]\r\n;Key=comment\r\n", "Setup", "Key", "<fallback>"},
        {"[Other]\r\nKey=x\r\n[Setup]\r\nKey=y\r\n", "Setup", "Key", "y"},
        {"[Setup]\r\nOther=x\r\n", "Setup", "Key", "<fallback>"},
        {"[Other]\r\nKey=x\r\n", "Setup", "Key", "<fallback>"},
        {"Key=x\r\n", "Setup", "Key", "<fallback>"},
        {"[Setup]\r\nKey=first\r\nKey=second\r\n", "Setup", "Key", "first"},
        {"[Setup]\nKey=\xe8\x9a\x9e", "Setup", "Key", "\xe8\x9a\x9e"},
        {"[Setup]\r\nKey=" + std::string(3000, 'v') + "\r\n", "Setup", "Key", std::string(2047, 'v')},
    };
    TempDir dir;
    for (const ReadCase& c : cases) {
        WriteWholeFile(dir.file("t.ini"), c.fileText);
        const AnsiText value = IniReadString(dir.file("t.ini"), c.section, c.key, AnsiText("<fallback>"));
        EXPECT_EQ(value.bytes, c.expected) << c.fileText.substr(0, 60);
    }
    EXPECT_EQ(IniReadString(dir.file("missing.ini"), "Setup", "Key", AnsiText("fb")).bytes, "fb");
    WriteWholeFile(dir.file("t.ini"), "[Setup]\r\nKey=lower-case file\r\n");
    EXPECT_EQ(IniReadString(dir.file("T.INI"), "Setup", "Key", AnsiText("fb")).bytes, "lower-case file");
}

struct IntCase {
    std::string value;
    int expected; // the fallback is 77
};

TEST(Ini, IntegersDecimalOrHexadecimal) {
    const std::vector<IntCase> cases = {
        {"0", 0},
        {"1", 1},
        {"2", 2},
        {"-5", -5},
        {"0x0", 0},
        {"0x1F", 31},
        {"0XfF", 255},
        {"yes", 77},
        {"", 77},
        {"1a", 77},
        {"0x", 77},
        {"12 ", 12},
        {" 3", 3},
        {"\"4\"", 4},
        {"0xFFFFFFFF", -1},
        {"99999999999", 77},
        {"2147483647", 2147483647},
        {"0x1G", 77},
    };
    TempDir dir;
    for (const IntCase& c : cases) {
        WriteWholeFile(dir.file("t.ini"), "[Setup]\r\nRacn=" + c.value + "\r\n");
        EXPECT_EQ(IniReadInt(dir.file("t.ini"), "Setup", "Racn", 77), c.expected) << c.value;
    }
    EXPECT_EQ(IniReadInt(dir.file("missing.ini"), "Setup", "Racn", 77), 77);
}

struct WriteCase {
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

TEST(Ini, WritesKeepEverythingElseByteForByte) {
    const std::string foreign = "; made by hand\r\n[Other]\r\nA = 1 \r\n\r\n";
    const std::vector<WriteCase> cases = {
        {"", "Setup", "Skupno", "C:\\DATA\\", "[Setup]\r\nSkupno=C:\\DATA\\\r\n"},
        {foreign + "[SETUP]\r\nskupno=old\r\nUserdir=U\r\n", "Setup", "Skupno", "new",
         foreign + "[SETUP]\r\nSkupno=new\r\nUserdir=U\r\n"},
        {foreign + "[Setup]\r\nUserdir=U\r\n\r\n[Last]\r\nB=2\r\n", "Setup", "Skupno", "x",
         foreign + "[Setup]\r\nUserdir=U\r\nSkupno=x\r\n\r\n[Last]\r\nB=2\r\n"},
        {foreign, "Setup", "Skupno", "x", foreign + "[Setup]\r\nSkupno=x\r\n"},
        {"[Other]\r\nA=1", "Setup", "K", "v", "[Other]\r\nA=1\r\n[Setup]\r\nK=v\r\n"},
        {"[Setup]\r\nK=1", "Setup", "L", "2", "[Setup]\r\nK=1\r\nL=2\r\n"},
        {"[Setup]\nK=1\n[Z]\nz=0\n", "Setup", "L", "2", "[Setup]\nK=1\nL=2\n[Z]\nz=0\n"},
        {"[Setup]\r\n;K=c\r\nK=1\r\n", "setup", "k", "", "[Setup]\r\n;K=c\r\nk=\r\n"},
        {"[Setup]\r\nK=1\r\n", "Setup", "K", "\xe8", "[Setup]\r\nK=\xe8\r\n"},
    };
    TempDir dir;
    for (const WriteCase& c : cases) {
        DeleteFilePath(dir.file("t.ini"));
        if (!c.before.empty())
            WriteWholeFile(dir.file("t.ini"), c.before);
        IniWriteString(dir.file("t.ini"), c.section, c.key, AnsiText(c.value));
        EXPECT_EQ(ReadWholeFile(dir.file("t.ini")), c.after) << c.before;
        EXPECT_EQ(IniReadString(dir.file("t.ini"), c.section, c.key, AnsiText("?")).bytes, c.value);
    }
}

TEST(Ini, WriteFindsAFileWhoseNameDiffersInCase) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectories(dir.file("firma.p")));
    WriteWholeFile(dir.file("firma.p/qx.ini"), "[Setup]\r\nDS=1\r\n");
    IniWriteString(dir.file("FIRMA.P/QX.INI"), "Setup", "ID", AnsiText("A"));
    EXPECT_EQ(ReadWholeFile(dir.file("firma.p/qx.ini")), "[Setup]\r\nDS=1\r\nID=A\r\n");
    EXPECT_EQ(ListDirectory(dir.file("firma.p")).size(), 1u);
}

TEST(Ini, RefusedWritesThrowTheExactText) {
    TempDir dir;
    const std::string readOnly = dir.file("ro.ini");
    WriteWholeFile(readOnly, "[Setup]\r\nK=1\r\n");
    ASSERT_TRUE(SetReadOnly(readOnly, true));
    const std::string missingFolder = dir.file("nowhere/qx.ini");
    ASSERT_TRUE(CreateDirectories(dir.file("folder.ini")));

    for (const std::string& path : {readOnly, missingFolder, dir.file("folder.ini")}) {
        try {
            IniWriteString(path, "Setup", "K", AnsiText("2"));
            ADD_FAILURE() << "no error for " << path;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(ReadWholeFile(readOnly), "[Setup]\r\nK=1\r\n");
    EXPECT_FALSE(PathExists(dir.file("nowhere")));
    struct stat st {};
    ASSERT_EQ(stat(readOnly.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST(Ini, AWriteKeepsTheFileMode) {
    TempDir dir;
    WriteWholeFile(dir.file("t.ini"), "[Setup]\r\n");
    ASSERT_EQ(chmod(dir.file("t.ini").c_str(), 0640), 0);
    IniWriteString(dir.file("t.ini"), "Setup", "K", AnsiText("v"));
    struct stat st {};
    ASSERT_EQ(stat(dir.file("t.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ListDirectory(dir.path()).size(), 1u); // no temporary file left
}

} // namespace
} // namespace qx::platform
