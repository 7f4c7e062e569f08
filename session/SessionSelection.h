#pragma once
// The operator's choice and the program's folders, one record for the life of the process.
#include "text/EightBitText.h"
#include <string>
#include <vector>

namespace qx {

struct TSessionSelection {
    std::string rootList;   // VORTANE, upper-cased: data roots separated by ";"
    std::string listedRoot; // the root whose user directories fill the user list
    std::string dataRoot;   // the root the selected user's paths are built from
    std::string userDir;    // the selected user directory as listed
    AnsiText exeDir;        // the executable's folder with a trailing separator
    std::string workDir;    // exeDir + "TEMP" + separator
    std::string outputDir;  // the output folder for the next run
    std::string mailerExe;  // exeDir + "VorMail.exe"
    bool externalMailer = false;
    std::vector<std::string> rootBoxEntries; // the data roots offered in the root box
    std::vector<std::string> userList;       // the user directory names in display order
};

} // namespace qx
