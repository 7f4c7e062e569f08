#include "delivery/FtpUpload.h"

#include "app/Error.h"
#include "delivery/AccountFetch.h"
#include "delivery/IntegerText.h"
#include "delivery/Scramble.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "text/TextHelpers.h"

#include <filesystem>
#include <fstream>
#include <optional>

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

bool ListsEntry(const std::string& name, net::FtpEntryType type, net::FtpClient& client) {
    for (const auto& entry : client.listDirectory())
        if (entry.type == type && entry.name == name)
            return true;
    return false;
}

// Where the service's mail file is kept: the program's work folder, not the process's
// current folder, which may be anywhere (or not writable).
std::string MailFileFolder(const Session& session) {
    const std::string& work = session.selection.workDir;
    if (!work.empty() && platform::CreateDirectories(work))
        return work;
    return platform::TempFolder();
}

// The first line of a text file, without its line end; nullopt for a file without lines.
std::optional<std::string> FirstLine(const std::string& path) {
    std::ifstream in(std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size())),
                     std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Steps after the login: find the folder, fetch the notice address, store, check the listing.
bool UploadIntoFolder(Session& session, OperatorInterface& ui, net::FtpClient& client, const std::string& folder,
                      const std::string& remoteFolder, const std::string& archivePath,
                      const std::string& remoteName) {
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
        const std::string localMail = AppendBackslash(MailFileFolder(session)) + mailFile;
        client.retrieve(mailFile, localMail);
        if (platform::IsExistingFile(localMail))
            if (auto first = FirstLine(localMail))
                session.serviceNoticeAddress = *first;
    }
    client.store(archivePath, remoteName);
    const bool listed = RemoteFileExists(remoteName, client);
    ui.setBarVisible(ProgressBar::File, false);
    return listed;
}

} // namespace

bool RemoteDirExists(const std::string& name, net::FtpClient& client) {
    return ListsEntry(name, net::FtpEntryType::Directory, client);
}

bool RemoteFileExists(const std::string& name, net::FtpClient& client) {
    return ListsEntry(name, net::FtpEntryType::File, client);
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
    } catch (const std::exception&) {
        // A refused listing, CWD, RETR or STOR, a time-out or a broken connection: the upload failed.
        client.disconnect();
        result = false;
    }
    client.disconnect();
    Log(ui, "Konec prepisovanja...");
    return result;
}

} // namespace qx
