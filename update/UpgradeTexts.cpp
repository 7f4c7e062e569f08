#include "update/UpgradeTexts.h"

#include <cstdio>

namespace qx::update::texts {

namespace {

// One decimal with the decimal separator ",".
std::string OneDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    std::string text = buffer;
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

} // namespace

std::string UpgradeQuestion(const std::string& programTitle, const std::string& message) {
    std::string second = message.empty() ? std::string() : "\n" + message + "\n";
    return "Obstaja novejša verzija programa " + programTitle + ".\n" + second + "\nŽelite nadgraditi program?";
}

std::string FileSizeText(std::uint64_t bytes) {
    return "Velikost datoteke: " + OneDecimal(static_cast<double>(bytes) / 1024.0) + " Kb";
}

std::string TransferRateText(double bytesPerSecond) {
    return "Hitrost prenosa: " + OneDecimal(bytesPerSecond / 1024.0) + " Kb/s";
}

std::string RemainingTimeText(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d:%.2d:%.2d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return std::string("Predvideni čas zaključka: ") + buffer;
}

std::string FileCounterText(int current, int total) {
    return "Prenos " + std::to_string(current) + " od " + std::to_string(total);
}

std::string CompleteNote(const std::string& programTitle) {
    return "Nadgradnja datoteke " + programTitle + " je končana.\n\nPritisni na gumb OK za ponovni zagon programa.";
}

std::string MissingFileCaption(int status) {
    return "Napaka #" + std::to_string(status);
}

std::string MissingFileQuestion(const std::string& url) {
    return "Datoteka " + url +
           " ne obstaja ali je nedostopna.\n\nŽelite preskočiti to datoteko in nadaljevati z nadgradnjo?";
}

std::string FileNotWritable(const std::string& path) {
    return "Datoteke " + path + " ni mogoče zapisati.";
}

} // namespace qx::update::texts
