// libFuzzer target: the archive reader over arbitrary bytes. Reading the directory and testing
// every entry may fail with qx::Error, never read out of bounds or crash.
#include "text/Error.h"
#include "zip/ZipReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx::zip::ZipReader reader;
    reader.setDevice(std::make_unique<qx::zip::MemoryInputDevice>(data, size));
    reader.setPassword(qx::AnsiText("qX7!Arhiv#Kerno26"));
    try {
        reader.readDirectory();
    } catch (const qx::Error&) {
        return 0;
    }
    for (int i = 0; i < reader.entryCount() && i < 64; ++i) {
        try {
            reader.testEntry(i);
            reader.testEntry(i);
        } catch (const qx::Error&) {
        }
    }
    return 0;
}
