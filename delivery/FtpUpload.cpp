#include "delivery/FtpUpload.h"

#include "delivery/AccountFetch.h"
#include "delivery/IntegerText.h"
#include "delivery/MailFile.h"
#include "delivery/Scramble.h"
#include "net/CommandText.h"
#include "platform/Environment.h"
#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "text/Error.h"
#include "text/TextHelpers.h"

#include <optional>
#include <utility>

namespace qx {

namespace {

void Log(OperatorInterface& ui, const std::string& line) {
    ui.appendLine(line);
    ui.processMessages();
}

std::uint16_t PortFromText(const std::string& text) {
    const std::int32_t port = IntegerFromText(text);
    if (port < 0 || port > 65535)
        throw Error("'" + text + "' is not a valid port number");
    return static_cast<std::uint16_t>(port);
}

std::optional<net::FtpListEntry> FindEntry(const std::string& name, net::FtpEntryType type, net::FtpClient& client) {
    for (auto& entry : client.listDirectory())
        if (entry.type == type && entry.name == name)
            return std::move(entry);
    return std::nullopt;
}

// Where the service's mail file is kept: the program's work folder, not the process's
// current folder, which may be anywhere (or not writable).
std::string MailFileFolder(const Session& session) {
    const std::string& work = session.selection.workDir;
    if (!work.empty() && platform::CreateDirectories(work))
        return work;
    return platform::TempFolder();
}

// The first bytes of the downloaded mail file (it holds no more than the fetch's limit).
std::string MailFileStart(const std::string& path) {
    std::ifstream in;
    platform::OpenForReading(in, path);
    std::string bytes(kMailFileLimit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// A value that goes into an FTP command must not carry a line end: the rest would reach the
// server as a command of its own. Checked before connecting, so nothing of it is sent.
void RequireCommandValue(const std::string& value, const std::string& source) {
    if (!net::IsSafeCommandText(value))
        throw Error(source + " vsebuje prelom vrstice ali znak NUL.");
}

void RequireCommandValues(const TFTPdata& ftp, const std::string& folder, const std::string& remoteName) {
    for (const auto& [value, name] : {std::pair{&ftp.streznik, "streznik"}, std::pair{&ftp.prijava, "prijava"},
                                      std::pair{&ftp.geslo, "geslo"}, std::pair{&ftp.root, "root"}})
        RequireCommandValue(*value, std::string("Podatek »") + name + "« iz opisa računa qfd.ftp");
    RequireCommandValue(folder, "Mapa iz nastavitve Servis");
    RequireCommandValue(remoteName, "Ime arhiva iz nastavitev (davčna številka in ID)");
}

// The listing's size fact, when it gives one, must be the archive's: a cut upload can still
// leave a file of the right name behind.
bool SizeMatches(const net::FtpListEntry& entry, std::int64_t localSize) {
    const std::string size = entry.fact("size");
    if (size.empty())
        return true;
    return size.find_first_not_of("0123456789") == std::string::npos && size.size() <= 18 &&
           std::stoll(size) == localSize;
}

// Steps after the login: find the folder, fetch the notice address, store, check the listing.
bool UploadIntoFolder(Session& session, OperatorInterface& ui, net::FtpClient& client, const std::string& folder,
                      const std::string& remoteFolder, const std::string& archivePath, const std::string& remoteName) {
    if (!RemoteDirExists(folder, client)) {
        ui.showMessage("Izhodna mapa ne obstaja!\nPrepis podatkov ni bil uspešen.");
        return false;
    }
    client.changeDirectory(remoteFolder);
    Log(ui, "Prijava na strežnik uspešna...");
    ui.setBarValue(ProgressBar::File, 0);
    ui.setBarVisible(ProgressBar::File, true);
    Log(ui, "Začetek prepisovanja...");

    const std::string mailFile = folder + ".mail";
    if (RemoteFileExists(mailFile, client)) {
        // Only the bare name: the folder name comes from a transfer code, not from us.
        const std::string localMail =
            platform::AppendBackslash(MailFileFolder(session)) + platform::FileNameOf(mailFile);
        const bool whole = client.retrieve(mailFile, localMail, kMailFileLimit);
        if (platform::IsExistingFile(localMail))
            if (auto first = MailFileFirstLine(MailFileStart(localMail), whole, mailFile))
                session.serviceNoticeAddress = *first;
    }
    client.store(archivePath, remoteName);
    const auto stored = FindEntry(remoteName, net::FtpEntryType::File, client);
    ui.setBarVisible(ProgressBar::File, false);
    return stored && SizeMatches(*stored, LocalFileSize(archivePath));
}

} // namespace

bool RemoteDirExists(const std::string& name, net::FtpClient& client) {
    return FindEntry(name, net::FtpEntryType::Directory, client).has_value();
}

bool RemoteFileExists(const std::string& name, net::FtpClient& client) {
    return FindEntry(name, net::FtpEntryType::File, client).has_value();
}

std::int64_t LocalFileSize(const std::string& path) {
    auto entry = platform::StatPath(path);
    return entry ? static_cast<std::int64_t>(entry->size) : -1;
}

void ftpWork(OperatorInterface& ui, std::int64_t bytesSoFar) {
    ui.setBarValue(ProgressBar::File, bytesSoFar);
    ui.processMessages();
}

bool UploadArchive(Session& session, OperatorInterface& ui, const std::string& servis, const std::string& archivePath,
                   const std::string& remoteName) {
    FetchFtpAccount(session, "qfd.ftp", [&ui] { ui.processMessages(); });
    const TFTPdata& ftp = session.ftp;
    if (ftp.streznik.empty() || !platform::IsExistingFile(archivePath))
        return false;
    Log(ui, "Prepis podatkov na FTP strežnik...");

    const std::string folder = Descramble(servis, kScrambleSeed);
    // The server's own path form: the backslash goes to the server as it is.
    const std::string remoteFolder = ftp.root.empty() ? folder : ftp.root + "\\" + folder;

    net::FtpSettings settings;
    settings.host = ftp.streznik;
    settings.port = PortFromText(ftp.vrata);
    settings.user = ftp.prijava;
    settings.password = ftp.geslo;
    RequireCommandValues(ftp, folder, remoteName);
    net::FtpClient client(settings);
    client.setIdleCallback([&ui] { ui.processMessages(); });
    client.setWorkHandler([&ui](std::int64_t bytes) { ftpWork(ui, bytes); });

    ui.setBarVisible(ProgressBar::File, false);
    ui.setBarVisible(ProgressBar::Total, false);
    ui.setBarMaximum(ProgressBar::File, LocalFileSize(archivePath));
    ui.processMessages();

    Log(ui, "Prijava na strežnik...");
    client.connect();

    bool result = false;
    try {
        result = UploadIntoFolder(session, ui, client, folder, remoteFolder, archivePath, remoteName);
    } catch (const std::exception& e) {
        // A refused listing, CWD, RETR or STOR, a time-out or a broken connection: the upload
        // failed. The log names the step, so that the operator can tell a dead line from a refusal.
        Log(ui, std::string("Prepis ni uspel: ") + e.what());
        client.disconnect();
        result = false;
    }
    client.disconnect();
    Log(ui, "Konec prepisovanja...");
    return result;
}

} // namespace qx
