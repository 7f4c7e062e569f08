#include "ArchiveTestSupport.h"

#include <cstdio>
#include <random>
#include <sstream>
#include <stdexcept>

namespace qx::test {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandResult RunCommand(const std::string& commandLine) {
    CommandResult result;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = pclose(pipe);
    // The wait status: the exit code in the second byte when the command ended normally.
    result.exitCode = status != -1 && (status & 0x7f) == 0 ? (status >> 8) & 0xff : -1;
    return result;
}

std::string TableLikeBytes(std::size_t size, std::uint32_t seed) {
    static const char* const kNames[] = {"NOVAK",    "HORVAT", "KOVAČIČ", "KRAJNC", "ZUPANČIČ",
                                         "POTOČNIK", "MLAKAR", "VIDMAR",  "KOS",    "GOLOB"};
    static const char* const kItems[] = {"Storitve", "Material", "Prevoz", "Najemnina", "Svetovanje"};
    std::mt19937 engine(seed);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::string out;
    out.reserve(size + 256);
    out += std::string("\x30\x7E\x0C\x0A", 4) + std::string(28, '\0'); // header start
    char record[160];
    while (out.size() < size) {
        // Drawn one by one, last field first, so that every compiler makes the bytes the golden
        // archive was made from (the order in which arguments are evaluated is the compiler's).
        const unsigned reference = random() % 100000u;
        const char* const country = random() % 3 ? "SI" : "HR";
        const unsigned day = 1 + random() % 28;
        const unsigned month = 1 + random() % 12;
        const unsigned year = 2020 + random() % 7;
        const double amount = (random() % 10000000) / 100.0;
        const char* const item = kItems[random() % 5];
        const char* const name = kNames[random() % 10];
        const unsigned number = random() % 1000000u;
        const int n = std::snprintf(record, sizeof record, " %06u%-20s%-16s%12.2f%04u%02u%02u%-10s%8u", number, name,
                                    item, amount, year, month, day, country, reference);
        out.append(record, static_cast<std::size_t>(n));
    }
    out.resize(size);
    return out;
}

std::vector<Fields> DumpZipFields(const std::string& archive, const std::string& password) {
    const auto result =
        RunCommand(std::string(QX_PYTHON) + " " + Quote(std::string(QX_SOURCE_DIR) + "/tests/zip/zip_fields.py") + " " +
                   Quote(archive) + " " + Quote(password));
    if (result.exitCode != 0)
        throw std::runtime_error("zip_fields.py failed: " + result.output);
    std::vector<Fields> entries;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        Fields fields;
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            const auto eq = word.find('=');
            fields[eq == std::string::npos ? word : word.substr(0, eq)] =
                eq == std::string::npos ? "" : word.substr(eq + 1);
        }
        entries.push_back(fields);
    }
    return entries;
}

} // namespace qx::test
