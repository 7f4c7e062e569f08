// dbfcopy: a filtered copy by the program's table engine, for the benchmark and for
// checking the engine by hand. Literals compare with the stored bytes as they are
// (no code-page translation here).
#include "dbf/Table.h"
#include "dbf/TableError.h"

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(
            stderr, "usage: dbfcopy <source.dbf> <destination.dbf> <expression>\n"
                    "  e.g. dbfcopy RACN.DBF racn.dbf 'dtos(racndatu)>=\"20150101\".and.dtos(racndatu)<=\"20151231\"'\n"
                    "  an empty expression copies every record that is not deleted\n");
        return 2;
    }
    dbf::PlainHost host;
    dbf::Table table(host);
    try {
        table.open(argv[1]);
        table.setQuery(argv[3]);
        const std::uint32_t written = table.copyTo(argv[2]);
        std::printf("%u of %u records copied\n", written, table.recordCount());
    } catch (const dbf::TableError& error) {
        std::string text = error.what();
        std::replace(text.begin(), text.end(), '\r', '\n');
        std::fprintf(stderr, "%s\n", text.c_str());
        if (!error.detail().empty())
            std::fprintf(stderr, "(%s)\n", error.detail().c_str());
        return 1;
    }
    return 0;
}
