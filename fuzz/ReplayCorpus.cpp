// The plain-build stand-in for libFuzzer's driver: feeds every file of the folders (or files)
// named on the command line to the target once, and the empty input. A target that crashes
// or trips a check on a seed fails the test; a corpus that has gone missing fails it too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// libFuzzer never passes a null pointer, not even for the empty input.
void FeedBytes(const std::vector<char>& bytes) {
    static const std::uint8_t none[1] = {};
    LLVMFuzzerTestOneInput(bytes.empty() ? none : reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void Feed(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FeedBytes(bytes);
}

} // namespace

int main(int argc, char** argv) {
    FeedBytes({});
    std::size_t fed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path named = argv[i];
        if (std::filesystem::is_regular_file(named)) {
            Feed(named);
            ++fed;
            continue;
        }
        if (!std::filesystem::is_directory(named)) {
            std::fprintf(stderr, "no corpus at %s\n", argv[i]);
            return 1;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(named))
            if (entry.is_regular_file()) {
                Feed(entry.path());
                ++fed;
            }
    }
    std::printf("%zu inputs replayed\n", fed);
    return fed > 0 ? 0 : 1;
}
