// Side-by-side measurement of the archive writer and checker, on every core and on one,
// against Info-ZIP, gzip, pigz (the parallel peer, on as many cores), unzip and 7z on the
// same DBF-like tables (>= 500 MB, generated). Each contender runs in a child process so
// its time and peak memory are its own.
//   build/bin/archive_bench [megabytes] [folder]     (QX_ZIP_WORKERS forces the core count)
#include "platform/CodePage.h"
#include "run/ArchivePassword.h"
#include "zip/WorkerPool.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Measure {
    double seconds = 0;    // wall clock
    double cpuSeconds = 0; // user + system of the child and what it waited for; steadier on a shared machine
    long peakKb = 0;
    int status = 0;
};

// Runs `work` in a child process; time from fork to exit, peak resident set of that child.
Measure InChild(const std::function<int()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {seconds, cpu, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

Measure Command(const std::string& line) {
    return InChild([&] { return execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr)), 127; });
}

// A dBASE-like table: 32-byte header, field descriptors, then fixed-width records of
// codes, names, amounts and dates as accounting tables hold them.
void WriteTable(const std::string& path, std::uint64_t size, std::uint32_t seed) {
    static const char* const kNames[] = {"NOVAK d.o.o.",     "HORVAT s.p.", "KOVACIC TRGOVINA", "KRAJNC IN PARTNERJI",
                                         "ZUPANCIC GRADNJE", "POTOCNIK",    "MLAKAR d.d.",      "VIDMAR STORITVE",
                                         "KOS TRANSPORT",    "GOLOB IT"};
    static const char* const kTexts[] = {"Storitve po pogodbi",
                                         "Material za vzdrzevanje",
                                         "Prevozni stroski",
                                         "Najemnina poslovnih prostorov",
                                         "Svetovanje",
                                         "Avans",
                                         "Dobropis"};
    std::mt19937 engine(seed);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::ofstream out(path, std::ios::binary);
    std::string header(32, '\0');
    header[0] = 0x30;
    out << header << std::string(32 * 8, ' ') << '\r';
    std::string block;
    char record[256];
    std::uint64_t written = header.size() + 32 * 8 + 1;
    while (written < size) {
        block.clear();
        while (block.size() < (1 << 20)) {
            const unsigned day = 1 + random() % 28, month = 1 + random() % 12, year = 2018 + random() % 7;
            const int n = std::snprintf(
                record, sizeof record, " %08u%-30s%-32s%14.2f%14.2f%04u%02u%02u%04u%02u%02u%-3s%06u%c%010u",
                random() % 100000u, kNames[random() % 10], kTexts[random() % 7], (random() % 100000000) / 100.0,
                (random() % 3 == 0) ? (random() % 1000000) / 100.0 : 0.0, year, month, day, year, month,
                std::min<unsigned>(28u, day + static_cast<unsigned>(random() % 30)), random() % 4 ? "EUR" : "USD",
                random() % 1000u, random() % 2 ? 'D' : 'K', 1000000000u + random() % 9000000u);
            block.append(record, static_cast<std::size_t>(n));
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - written));
        out.write(block.data(), static_cast<std::streamsize>(take));
        written += take;
    }
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 520;
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "qx-archive-bench";
    fs::remove_all(root);
    fs::create_directories(root / "TEMP");
    const std::string work = (root / "TEMP").string() + "/";
    const std::string password = qx::ArchivePassword();

    // Fifteen tables of uneven sizes, like a company's KERNO tables.
    static const char* const kTables[] = {"popa", "pers", "vstr", "orge", "mate", "ptxt", "racn", "racp",
                                          "gotg", "gotp", "stro", "ptnl", "knzr", "prac", "prap"};
    static const double kShare[] = {0.02, 0.001, 0.01, 0.005, 0.04,  0.02, 0.16, 0.30,
                                    0.06, 0.14,  0.05, 0.03,  0.004, 0.07, 0.09};
    double shares = 0;
    for (const double s : kShare)
        shares += s;
    std::uint64_t total = 0;
    std::string fileList;
    for (int i = 0; i < 15; ++i) {
        const auto size = static_cast<std::uint64_t>(megabytes * 1e6 * kShare[i] / shares);
        WriteTable(work + kTables[i] + ".dbf", size, static_cast<std::uint32_t>(i + 1));
        total += size;
        fileList += " " + Quote(work + kTables[i] + ".dbf");
    }
    std::printf("input: 15 tables, %.1f MB\n", total / 1e6);

    const int workers = qx::zip::ZipWorkers();
    const std::string ours = (root / "OURS.ZIP").string();
    const std::string oursSingle = (root / "SINGLE.ZIP").string();
    const std::string infoZip = (root / "infozip.zip").string();
    const auto pack = [&](const std::string& folder, const std::string& archive, int cores) {
        return InChild([&] {
            qx::zip::ZipWriter writer;
            writer.setRootFolder(folder);
            writer.addMask("*.dbf");
            writer.setPassword(qx::platform::ToAnsi(password));
            writer.setArchivePath(archive);
            writer.setWorkers(cores);
            return writer.pack() > 0 ? 0 : 1;
        });
    };
    const auto check = [&](const std::string& archive, int cores) {
        return InChild([&] {
            qx::zip::ZipReader reader;
            reader.setArchivePath(archive);
            reader.setPassword(qx::platform::ToAnsi(password));
            reader.setWorkers(cores);
            reader.readDirectory();
            return reader.testUntilFailure() == reader.entryCount() ? 0 : 1;
        });
    };
    const std::string cores = std::to_string(workers);
    const Measure ourPack = pack(work, ours, workers);
    const Measure ourPackSingle = pack(work, oursSingle, 1);
    const Measure zipPack = Command("zip -q -6 -j -P " + Quote(password) + " " + Quote(infoZip) + fileList);
    const Measure gzip = Command("gzip -6 -c" + fileList + " > /dev/null");
    const Measure pigz = Command("pigz -6 -p " + cores + " -c" + fileList + " > /dev/null");
    const Measure ourCheck = check(ours, workers);
    const Measure ourCheckSingle = check(ours, 1);
    const Measure unzipTest = Command("unzip -qq -t -P " + Quote(password) + " " + Quote(ours));
    const Measure sevenTest = Command("7z t -bd -p" + Quote(password) + " " + Quote(ours) + " > /dev/null");

    // Memory must not follow the input: pack one small table alone for comparison.
    fs::create_directories(root / "SMALL");
    WriteTable((root / "SMALL" / "popa.dbf").string(), 2000000, 99);
    const Measure smallPack = pack((root / "SMALL").string() + "/", (root / "SMALL.ZIP").string(), workers);

    std::printf("cores: %d\n", workers);
    auto row = [&](const std::string& name, const Measure& m) {
        std::printf("%-16s wall %7.2f s  %7.1f MB/s  cpu %7.2f s  peak %6.1f MB%s\n", name.c_str(), m.seconds,
                    total / 1e6 / m.seconds, m.cpuSeconds, m.peakKb / 1024.0, m.status == 0 ? "" : "  (FAILED)");
    };
    row("qx pack x" + cores, ourPack);
    row("qx pack x1", ourPackSingle);
    row("zip -6 -P", zipPack);
    row("gzip -6", gzip);
    row("pigz -6 -p " + cores, pigz);
    row("qx check x" + cores, ourCheck);
    row("qx check x1", ourCheckSingle);
    row("unzip -t -P", unzipTest);
    row("7z t", sevenTest);
    const auto oursSize = static_cast<double>(fs::file_size(ours));
    const auto singleSize = static_cast<double>(fs::file_size(oursSingle));
    std::printf("archive sizes: qx x%s %.1f MB, qx x1 %.1f MB (%+.2f %%), zip %.1f MB\n", cores.c_str(), oursSize / 1e6,
                singleSize / 1e6, (oursSize / singleSize - 1) * 100, fs::file_size(infoZip) / 1e6);
    auto ratio = [](const std::string& name, const Measure& peer, const Measure& ours, const char* target) {
        std::printf("%-28s wall %.2fx  cpu %.2fx  (target %s)\n", name.c_str(), peer.seconds / ours.seconds,
                    peer.cpuSeconds / ours.cpuSeconds, target);
    };
    ratio("pack x" + cores + " vs zip -6 -P", zipPack, ourPack, "wall >= 1.8");
    ratio("pack x" + cores + " vs pigz -p " + cores, pigz, ourPack, "wall >= 1.0");
    ratio("pack x1 vs zip -6 -P", zipPack, ourPackSingle, ">= 1.0");
    ratio("pack x1 vs gzip -6", gzip, ourPackSingle, ">= 0.85");
    ratio("pack x" + cores + " vs pack x1", ourPackSingle, ourPack, "wall: the cores");
    ratio("check x" + cores + " vs 7z t", sevenTest, ourCheck, "wall >= 1.5");
    ratio("check x" + cores + " vs unzip -t", unzipTest, ourCheck, ">= 1.0");
    std::printf("peak memory: pack %.1f MB for %.0f MB, %.1f MB for 2 MB (ratio %.2f)\n", ourPack.peakKb / 1024.0,
                total / 1e6, smallPack.peakKb / 1024.0, static_cast<double>(ourPack.peakKb) / smallPack.peakKb);
    fs::remove_all(root);
    const bool ok = ourPack.status == 0 && ourPackSingle.status == 0 && zipPack.status == 0 && ourCheck.status == 0 &&
                    ourCheckSingle.status == 0 && unzipTest.status == 0 && sevenTest.status == 0;
    return ok ? 0 : 1;
}
