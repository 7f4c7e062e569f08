// Table reader: the input is a table file, optionally followed by a memo file (the first
// two bytes give the table's length). Opens it, reads every field of every visible
// record and copies it; any TableError is a fine answer, a crash or bad read is not.
#include "dbf/Table.h"
#include "dbf/TableError.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    std::size_t tableSize = static_cast<std::size_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    tableSize = std::min(tableSize, size);
    // Memory-backed files where the system has them: the run writes several files per input.
    static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    const std::string stem = folder + "fuzz_dbf_reader_" + std::to_string(getpid());
    WriteFile(stem + ".dbf", data, tableSize);
    WriteFile(stem + ".fpt", data + tableSize, size - tableSize);
    WriteFile(stem + ".dbt", data + tableSize, size - tableSize);
    dbf::PlainHost host;
    dbf::Table table(host);
    try {
        table.open(stem + ".dbf");
        for (table.goTop(); !table.eof(); table.skip())
            for (const dbf::FieldDescriptor& field : table.header().fields)
                table.fieldText(field.name);
        table.copyTo(stem + "_copy.dbf");
    } catch (const dbf::TableError&) {
    }
    table.close();
    for (const char* suffix : {".dbf", ".fpt", ".dbt", "_copy.dbf"})
        std::remove((stem + suffix).c_str());
    return 0;
}
