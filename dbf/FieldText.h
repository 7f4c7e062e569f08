#pragma once
// A field of a record as text, the way the caller reads it: stored OEM characters as
// ANSI, numbers and dates as their characters, binary numbers in decimal, memo contents.
#include "dbf/Host.h"
#include "dbf/MemoFile.h"
#include "dbf/TableHeader.h"

#include <string>

namespace dbf {

// Without trailing blanks; empty for a null value. `memo` may be closed when the table has no memo fields.
std::string FieldText(const TableHeader& header, const FieldDescriptor& field, const char* record, MemoReader& memo,
                      const Host& host);

} // namespace dbf
