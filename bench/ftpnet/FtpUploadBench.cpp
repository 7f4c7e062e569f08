// Uploads one large file over the loopback to vsftpd, started here with a config of its own,
// by our FtpClient and by `curl -T`, in turns, and prints both throughputs and the ratio.
//   build/bin/ftp_upload_bench [megabytes=1024] [rounds=3]
// Needs vsftpd and curl; run as root (vsftpd's anonymous upload folder is handed to "ftp").
#include "net/FtpClient.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr int kPort = 47021;

pid_t Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    return pid;
}

int RunAndWait(const std::vector<std::string>& argv) {
    pid_t pid = Spawn(argv);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WriteConfig(const fs::path& config, const fs::path& root) {
    std::ofstream out(config);
    out << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << kPort << "\n"
        << "background=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
        << "anon_upload_enable=YES\nanon_other_write_enable=YES\nanon_root=" << root.string() << "\n"
        << "no_anon_password=YES\npasv_enable=YES\npasv_min_port=47100\npasv_max_port=47199\n"
        << "seccomp_sandbox=NO\nsecure_chroot_dir=/var/run/vsftpd/empty\nxferlog_enable=NO\n"
        << "use_localtime=NO\nconnect_from_port_20=NO\n";
}

void MakeFile(const fs::path& path, std::size_t megabytes) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    std::uint32_t x = 2463534242u;
    for (std::size_t m = 0; m < megabytes; ++m) {
        for (auto& c : block) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            c = static_cast<char>(x);
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

double OurUpload(const fs::path& file, const std::string& remote) {
    qx::net::FtpSettings settings;
    settings.host = "127.0.0.1";
    settings.port = kPort;
    settings.user = "anonymous";
    settings.password = "bench@example.com";
    auto start = SteadyClock::now();
    qx::net::FtpClient client(settings);
    client.connect();
    client.changeDirectory("upload");
    client.store(file.string(), remote);
    client.disconnect();
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

double CurlUpload(const fs::path& file, const std::string& remote) {
    auto start = SteadyClock::now();
    int rc = RunAndWait({"curl", "-s", "-S", "--user", "anonymous:bench@example.com", "-T", file.string(),
                         "ftp://127.0.0.1:" + std::to_string(kPort) + "/upload/" + remote});
    if (rc != 0)
        throw std::runtime_error("curl failed with " + std::to_string(rc));
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

bool ServerAnswers() {
    try {
        qx::net::Connection c;
        c.connect("127.0.0.1", kPort);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 1024;
    const int rounds = argc > 2 ? std::stoi(argv[2]) : 3;
    char pattern[] = "/tmp/qxftpbench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    const fs::path root = work / "root", upload = root / "upload", file = work / "payload.bin";
    fs::create_directories(upload);
    fs::permissions(work, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    if (passwd* ftp = getpwnam("ftp"))
        chown(upload.c_str(), ftp->pw_uid, ftp->pw_gid);
    fs::create_directories("/var/run/vsftpd/empty");
    WriteConfig(work / "vsftpd.conf", root);
    std::cout << "writing " << megabytes << " MB of test data..." << std::endl;
    MakeFile(file, megabytes);

    pid_t server = Spawn({"vsftpd", (work / "vsftpd.conf").string()});
    for (int i = 0; i < 100 && !ServerAnswers(); ++i)
        usleep(50000);

    int status = 0;
    try {
        double bestOurs = 1e9, bestCurl = 1e9;
        for (int round = 1; round <= rounds; ++round) {
            double curl = CurlUpload(file, "curl.bin");
            double ours = OurUpload(file, "ours.bin");
            if (fs::file_size(upload / "ours.bin") != fs::file_size(file) ||
                fs::file_size(upload / "curl.bin") != fs::file_size(file))
                throw std::runtime_error("an upload is incomplete");
            std::printf("round %d: qx %.2f s (%.0f MB/s), curl %.2f s (%.0f MB/s)\n", round, ours, megabytes / ours,
                        curl, megabytes / curl);
            bestOurs = std::min(bestOurs, ours);
            bestCurl = std::min(bestCurl, curl);
            fs::remove(upload / "ours.bin");
            fs::remove(upload / "curl.bin");
        }
        std::printf("best: qx %.0f MB/s, curl %.0f MB/s, qx/curl throughput ratio %.2fx\n", megabytes / bestOurs,
                    megabytes / bestCurl, bestCurl / bestOurs);
    } catch (const std::exception& e) {
        std::cerr << "benchmark failed: " << e.what() << "\n";
        status = 1;
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    fs::remove_all(work);
    return status;
}
