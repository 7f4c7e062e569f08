#pragma once
#include <string>

namespace qx::test {

// A fresh folder in the temporary folder, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; } // with a trailing separator
    // `name` may name sub-folders with "/"; they become the platform's separator.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace qx::test
