#pragma once
// The FTP and mail accounts, downloaded as scrambled descriptor files from the service's
// web root over HTTPS ("/prenos/"), with the plain-HTTP root ("/ftp/") as fallback.
#include "session/Session.h"

#include <functional>
#include <string>

namespace qx {

// What the service's descriptor requests send as user agent.
inline constexpr const char* kDescriptorUserAgent =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; MAAU)";

// The service's web roots (scheme, host, optional port): the built-in constants, or the
// environment variables QX_HTTPS_ROOT and QX_HTTP_ROOT when set (tests and demos).
std::string ServiceHttpsRoot();
std::string ServiceHttpRoot();

// Downloads a descriptor file: HTTPS root + "/prenos/" + name, else HTTP root + "/ftp/" + name
// (the name lower-cased), and turns the body from the ANSI code page into text. Every failure
// is swallowed: the result is then empty. `idle` runs while the network keeps us waiting.
std::string DownloadDescriptor(const std::string& fileName, const std::function<void()>& idle = {});

// Fills the records from descriptor text (still scrambled), as the fetches do.
void ApplyFtpDescriptor(const std::string& scrambled, TFTPdata& ftp);
// Throws qx::Error("'<text>' is not a valid integer value") when field 5 or 6 is no integer;
// the fields stored before the failing conversion keep their new values.
void ApplyMailDescriptor(const std::string& scrambled, TSMTPdata& smtp);

// Refreshes session.ftp from the named descriptor ("qfd.ftp"); `streznik` stays empty when
// the download fails or gives nothing.
void FetchFtpAccount(Session& session, const std::string& fileName, const std::function<void()>& idle = {});
// Refreshes session.smtp from "vortane.email"; keeps the old values when nothing is downloaded.
void FetchMailAccount(Session& session, const std::function<void()>& idle = {});

} // namespace qx
