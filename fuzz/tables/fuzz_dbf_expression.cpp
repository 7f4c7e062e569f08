// Query expression parser: the input is an expression compiled against a small table's
// fields and evaluated on two records.
#include "dbf/Expression.h"
#include "dbf/TableError.h"

#include <cstdint>
#include <string>

namespace {

dbf::TableHeader SampleHeader() {
    dbf::TableHeader header;
    header.version = 0x30;
    std::uint32_t offset = 1;
    struct Spec {
        const char* name;
        char type;
        int length;
    };
    for (const Spec& spec : {Spec{"NAME", 'C', 10}, Spec{"DAY", 'D', 8}, Spec{"FLAG", 'L', 1}, Spec{"AMOUNT", 'N', 8},
                             Spec{"NOTE", 'M', 4}}) {
        const auto& [name, type, length] = spec;
        dbf::FieldDescriptor field;
        field.name = name;
        field.type = type;
        field.length = static_cast<std::uint8_t>(length);
        field.offset = offset;
        offset += field.length;
        header.fields.push_back(field);
    }
    header.recordLength = static_cast<std::uint16_t>(offset);
    return header;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const dbf::TableHeader header = SampleHeader();
    static const dbf::PlainHost host;
    static const std::string blank = dbf::BlankRecord(header);
    static const std::string filled = std::string(" Ana       20200131T    12.5") + std::string(4, '\0');
    static const std::string records[] = {blank, filled};
    try {
        const dbf::Expression expression =
            dbf::Expression::Compile(std::string(reinterpret_cast<const char*>(data), size), header, host);
        for (const std::string& record : records)
            expression.matches(record.data());
    } catch (const dbf::TableError&) {
    }
    return 0;
}
