// The user settings file QX.INI. Both readers read every key in the file's order and fall
// back to their own defaults; the writer writes all keys with the spellings the file has
// always used ("message", "servis").
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "settings/SettingsFiles.h"

namespace qx {

namespace {

constexpr const char* kSection = "Setup";

DayCount FirstOfThisYear() {
    return DayCountOf({CivilDateOf(platform::Today()).year, 1, 1});
}

class Reader {
public:
    explicit Reader(std::string path) : path_(std::move(path)) {}

    std::string text(const char* key, const std::string& fallback) const {
        // A fallback no INI line can hold, so that a default that is not ANSI text is kept whole.
        const AnsiText missing("\n");
        const AnsiText value = platform::IniReadString(path_, kSection, key, missing);
        return value == missing ? fallback : platform::FromAnsi(value);
    }

    bool flag(const char* key, bool fallback) const {
        return platform::IniReadInt(path_, kSection, key, fallback ? 1 : 0) != 0;
    }

    DayCount date(const char* key, DayCount fallback) const {
        const AnsiText value = platform::IniReadString(path_, kSection, key, AnsiText());
        return ParseDayMonthYear(value.bytes).value_or(fallback);
    }

private:
    std::string path_;
};

TUserSettings Read(const std::string& path, const TUserSettings& defaults) {
    const Reader in(path);
    TUserSettings s;
    s.DS = in.text("DS", defaults.DS);
    s.Dest = in.text("Dest", defaults.Dest);
    s.Email = in.text("Email", defaults.Email);
    s.Mail = in.flag("Mail", defaults.Mail);
    s.Message = in.flag("Message", defaults.Message);
    s.Outlook = in.flag("Outlook", defaults.Outlook);
    s.FTP = in.flag("FTP", defaults.FTP);
    s.Servis = in.text("Servis", defaults.Servis);
    s.ID = in.text("ID", defaults.ID);
    s.AskDate = in.flag("AskDate", defaults.AskDate);
    s.Kopiraj1 = in.flag("Kopiraj1", defaults.Kopiraj1);
    s.Kopiraj2 = in.flag("Kopiraj2", defaults.Kopiraj2);
    s.Datumod = in.date("Datumod", defaults.Datumod);
    s.Doba = in.flag("Doba", defaults.Doba);
    s.Racn = in.flag("Racn", defaults.Racn);
    s.Stro = in.flag("Stro", defaults.Stro);
    s.Ptnl = in.flag("Ptnl", defaults.Ptnl);
    s.Mate = in.flag("Mate", defaults.Mate);
    s.Orge = in.flag("Orge", defaults.Orge);
    s.Ziro = in.flag("Ziro", defaults.Ziro);
    s.Vstr = in.flag("Vstr", defaults.Vstr);
    // These two groups are always copied, whatever the file says.
    s.Mate = true;
    s.Vstr = true;
    return s;
}

void WriteText(const std::string& path, const char* key, const std::string& value) {
    platform::IniWriteString(path, kSection, key, platform::ToAnsi(value));
}

void WriteFlag(const std::string& path, const char* key, bool value) {
    WriteText(path, key, value ? "1" : "0");
}

} // namespace

TUserSettings ExportDefaults() {
    TUserSettings d;
    d.Message = true;
    d.AskDate = true;
    d.Kopiraj1 = true;
    d.Datumod = FirstOfThisYear();
    d.Racn = true;
    d.Stro = true;
    d.Ptnl = true;
    d.Mate = true;
    d.Vstr = true;
    return d;
}

void ReadUserSettingsForRun(const std::string& path, TUserSettings& settings) {
    settings = Read(path, ExportDefaults());
}

bool ReadUserSettingsForDialog(const std::string& path, TUserSettings& settings) {
    if (!platform::IsExistingFile(path))
        return false;
    // The dialog keeps the values in memory up to Kopiraj2; from Datumod on it has fixed defaults.
    const TUserSettings fixed = ExportDefaults();
    TUserSettings defaults = settings;
    defaults.Datumod = fixed.Datumod;
    defaults.Doba = fixed.Doba;
    defaults.Racn = fixed.Racn;
    defaults.Stro = fixed.Stro;
    defaults.Ptnl = fixed.Ptnl;
    defaults.Mate = fixed.Mate;
    defaults.Orge = fixed.Orge;
    defaults.Ziro = fixed.Ziro;
    defaults.Vstr = fixed.Vstr;
    settings = Read(path, defaults);
    return true;
}

void WriteUserSettings(const std::string& path, const TUserSettings& s) {
    WriteText(path, "DS", s.DS);
    WriteText(path, "Dest", s.Dest);
    WriteText(path, "Email", s.Email);
    WriteFlag(path, "Mail", s.Mail);
    WriteFlag(path, "Outlook", s.Outlook);
    WriteFlag(path, "message", s.Message);
    WriteFlag(path, "Kopiraj1", s.Kopiraj1);
    WriteFlag(path, "Kopiraj2", s.Kopiraj2);
    WriteText(path, "Datumod", FormatDayMonthYear(s.Datumod));
    WriteFlag(path, "FTP", s.FTP);
    WriteText(path, "servis", s.Servis);
    WriteText(path, "ID", s.ID);
    WriteFlag(path, "Doba", s.Doba);
    WriteFlag(path, "Ptnl", s.Ptnl);
    WriteFlag(path, "Stro", s.Stro);
    WriteFlag(path, "Racn", s.Racn);
    WriteFlag(path, "Mate", s.Mate);
    WriteFlag(path, "Vstr", s.Vstr);
    WriteFlag(path, "Orge", s.Orge);
    WriteFlag(path, "Ziro", s.Ziro);
    WriteFlag(path, "AskDate", s.AskDate);
}

} // namespace qx
