#include "tests/support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace qx::test {

TempDir::TempDir() {
    // A fresh name by trial, as mkdtemp does, but also where there is no mkdtemp (Windows).
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "qxtest-%08x", static_cast<unsigned>(random()));
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
        std::error_code error;
        if (std::filesystem::create_directory(folder, error) && !error) {
            path_ = folder.string() + static_cast<char>(std::filesystem::path::preferred_separator);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests make files read-only on purpose; give the owner write access back first.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const {
    std::string native = name;
    for (char& c : native)
        if (c == '/')
            c = static_cast<char>(std::filesystem::path::preferred_separator);
    return path_ + native;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace qx::test
