// Tables of raw MLSD lines, PASV replies and host texts and what they must parse to.
#include "net/FtpListing.h"
#include "net/PassiveAddress.h"
#include "platform/HostName.h"

#include <gtest/gtest.h>

namespace qx::net {
namespace {

struct MlsdCase {
    std::string line;
    bool entry; // false: the line is no entry
    std::string name;
    FtpEntryType type;
    std::string size; // the "size" fact
};

TEST(MlsdLines, ParseToNameTypeAndFacts) {
    using T = FtpEntryType;
    const MlsdCase cases[] = {
        {"type=file;size=1024;modify=20260101120000; 12345678901.zip", true, "12345678901.zip", T::File, "1024"},
        {"type=dir;modify=20260101120000;perm=flcdmpe; SERVIS1", true, "SERVIS1", T::Directory, ""},
        {"type=cdir;perm=el; .", true, ".", T::Directory, ""},
        {"type=pdir;perm=el; ..", true, "..", T::Directory, ""},
        {"Type=DIR;Size=0; Upper", true, "Upper", T::Directory, "0"},
        {"type=OS.unix=slink:/srv/target; link", true, "link", T::Other, ""},
        {"type=OS.unix=chr-13/29; device", true, "device", T::Other, ""},
        {"type=OS.unix=blk; disk", true, "disk", T::Other, ""},
        {"type=OS.unix; odd", true, "odd", T::File, ""},
        {"type=slink; other", true, "other", T::File, ""},
        {"size=5; untyped", true, "untyped", T::File, "5"},
        {"type=file; name with  two  blanks ", true, "name with  two  blanks ", T::File, ""},
        {"type=file;size=3; ime \xc4\x8d\xc5\xa1\xc5\xbe.zip", true, "ime \xc4\x8d\xc5\xa1\xc5\xbe.zip", T::File, "3"},
        {"type=dir; a;b=c", true, "a;b=c", T::Directory, ""},
        {"type=file;size=1", false, "", T::File, ""},
        {" nofacts", true, "nofacts", T::File, ""},
        {";;;=x;type=dir; odd facts", true, "odd facts", T::Directory, ""},
        {"type=file; ", false, "", T::File, ""},
        {"", false, "", T::File, ""},
        {"garbage", false, "", T::File, ""},
    };
    for (const auto& c : cases) {
        auto entry = ParseMlsdLine(c.line);
        ASSERT_EQ(entry.has_value(), c.entry) << c.line;
        if (!entry)
            continue;
        EXPECT_EQ(entry->name, c.name) << c.line;
        EXPECT_EQ(entry->type, c.type) << c.line;
        EXPECT_EQ(entry->fact("size"), c.size) << c.line;
    }
}

TEST(MlsdListing, KeepsTheServersOrderAndSkipsNonEntries) {
    auto entries = ParseMlsdListing("type=cdir; .\r\ntype=dir; B\r\n\r\ntype=file; a.zip\nnonsense\r\ntype=file; last");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "B");
    EXPECT_EQ(entries[2].name, "a.zip");
    EXPECT_EQ(entries[3].name, "last");
}

struct PasvCase {
    std::string line;
    std::string host; // empty: unparsable
    int port;
};

TEST(PassiveReply, ReadsSixNumbers) {
    const PasvCase cases[] = {
        {"227 Entering Passive Mode (127,0,0,1,195,80).", "127.0.0.1", 195 * 256 + 80},
        {"227 Entering Passive Mode (192,168,1,5,4,1)", "192.168.1.5", 1025},
        {"227 =10,0,0,1,0,21", "", 0},
        {"227 Entering Passive Mode 1,2,3,4,255,255", "1.2.3.4", 65535},
        {"227 ( 1, 2, 3, 4, 5, 6 )", "1.2.3.4", 1286},
        {"227 (1,2,3,4,5,6) and (7,7,7,7,7,7)", "1.2.3.4", 1286},
        {"227 Entering Passive Mode", "", 0},
        {"227 Entering Passive Mode ()", "", 0},
        {"227 (1,2,3,4,5)", "", 0},
        {"227 (1,2,3,4,5,6,7)", "", 0},
        {"227 (1,2,3,4,5,256)", "", 0},
        {"227 (1,2,3,4,5,-1)", "", 0},
        {"227 (a,b,c,d,e,f)", "", 0},
        {"227 (1,2,3,4,5,6", "", 0},
        {"227 (1,,3,4,5,6)", "", 0},
        {"227 (0001,2,3,4,5,6)", "", 0},
    };
    for (const auto& c : cases) {
        auto address = ParsePassiveReply(c.line);
        ASSERT_EQ(address.has_value(), !c.host.empty()) << c.line;
        if (!address)
            continue;
        EXPECT_EQ(address->host, c.host) << c.line;
        EXPECT_EQ(address->port, c.port) << c.line;
    }
}

// The announced host is never trusted (a hostile server could aim the data at another host):
// private, public and local announcements all give way to the control connection's peer.
TEST(PassiveReply, EveryAnnouncementGoesToTheControlPeer) {
    struct Case {
        std::string announced, peer;
    };
    const Case cases[] = {
        {"192.168.1.5", "203.0.113.7"},  {"172.16.0.1", "203.0.113.7"}, {"127.0.0.1", "203.0.113.7"},
        {"198.51.100.9", "203.0.113.7"}, {"192.168.1.5", "10.0.0.2"},   {"1.1.1.1", "10.0.0.1"},
        {"203.0.113.7", "127.0.0.1"},    {"0.0.0.0", "127.0.0.1"},
    };
    for (const auto& c : cases) {
        PassiveAddress target = DataConnectionAddress({c.announced, 4000}, c.peer);
        EXPECT_EQ(target.host, c.peer) << c.announced << " via " << c.peer;
        EXPECT_EQ(target.port, 4000);
    }
}

// An address is written in digits and dots; anything else is a name (the sockets speak IPv4).
TEST(NumericHost, DigitsAndDotsOnly) {
    const std::pair<std::string, bool> cases[] = {
        {"127.0.0.1", true},        {"10.0.0.255", true}, {"1.2.3", true}, {"", false},           {"localhost", false},
        {"ftp.example.com", false}, {"1.2.3.4a", false},  {"::1", false},  {" 127.0.0.1", false},
    };
    for (const auto& [host, numeric] : cases)
        EXPECT_EQ(platform::IsNumericHost(host), numeric) << host;
}

} // namespace
} // namespace qx::net
