#pragma once
// The upload of the checked archive into the accounting service's folder on the service's
// FTP server, with the account fetched from the service first ("qfd.ftp").
#include "net/FtpClient.h"
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <cstdint>
#include <string>

namespace qx {

// Uploads `archivePath` as `remoteName` into the folder named by the descrambled `servis`
// code (under the account's `root`). True only when the archive was stored and then listed
// in that folder. Reads the service's notice address from "<folder>.mail" when the folder
// has one. Errors of the account's port and of the login pass on to the caller; later
// failures end in false. On the way it logs and moves ProgressBar1 through `ui`.
bool UploadArchive(Session& session, OperatorInterface& ui, const std::string& servis, const std::string& archivePath,
                   const std::string& remoteName);

// Whether the client's current folder lists a directory (or a file) of exactly this name.
bool RemoteDirExists(const std::string& name, net::FtpClient& client);
bool RemoteFileExists(const std::string& name, net::FtpClient& client);

// The size of the file at `path`, or -1 when there is none.
std::int64_t LocalFileSize(const std::string& path);

// The FTP client's work progress: ProgressBar1 shows the bytes moved so far.
void ftpWork(OperatorInterface& ui, std::int64_t bytesSoFar);

} // namespace qx
