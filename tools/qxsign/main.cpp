// qxsign: the maker's tool for publishing an update.
//   qxsign --key PRIVATE.pem [--files FOLDER] INFORMATION_FILE
// For every download entry of the information file it finds the release file under FOLDER
// (default: the information file's folder) by the last component of its URL, writes its size
// and SHA-256 keys into the information file, then signs the file's exact bytes and writes
// the signature beside it as INFORMATION_FILE.sig.
#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "text/Error.h"
#include "tools/qxsign/ReleaseSigning.h"
#include "update/InformationFile.h"

#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: qxsign --key PRIVATE.pem [--files FOLDER] INFORMATION_FILE\n"
                 "  Writes #size<n> and #hash<n> for every #url<n> of the information file, taking\n"
                 "  the file named by the URL's last component from FOLDER, and signs the result\n"
                 "  into INFORMATION_FILE.sig.\n";
    return 2;
}

std::string UrlOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

} // namespace

int main(int argc, char** argv) {
    using namespace qx;
    std::string key, folder, information;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if ((argument == "--key" || argument == "--files") && i + 1 < argc)
            (argument == "--key" ? key : folder) = argv[++i];
        else if (argument.rfind("-", 0) != 0 && information.empty())
            information = argument;
        else
            return Usage();
    }
    if (key.empty() || information.empty())
        return Usage();
    if (folder.empty())
        folder = platform::FolderOf(information);
    if (!folder.empty() && folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;

    try {
        std::optional<std::string> text = platform::ReadFileBytes(information);
        if (!text)
            throw Error("Cannot read " + information);
        std::vector<std::string> keys = update::DownloadQueueKeys(*text);
        std::vector<std::string> entries = update::BuildDownloadQueue(*text);
        std::map<std::string, tools::ReleaseFile> files;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            std::string url = UrlOf(entries[i]);
            std::string path = folder + url.substr(url.rfind('/') + 1);
            std::optional<tools::ReleaseFile> file = tools::DescribeFile(path);
            if (!file)
                throw Error("Cannot read the release file " + path + " for " + keys[i]);
            files[keys[i]] = *file;
            std::cout << keys[i] << " " << path << " " << file->size << " bytes\n";
        }
        std::string signedText = tools::WithFileChecks(*text, files);
        std::string signature = tools::SignP256(key, signedText);
        if (!platform::WriteFileBytes(information, signedText) ||
            !platform::WriteFileBytes(information + ".sig", signature))
            throw Error("Cannot write " + information + " or its signature");
        std::cout << "signed " << information << "\n";
        return 0;
    } catch (const Error& error) {
        std::cerr << "qxsign: " << error.what() << "\n";
        return 1;
    }
}
