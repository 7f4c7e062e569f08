#pragma once
// Finds the end record (and the ZIP64 end record) and reads the central directory.
#include "zip/ArchiveDevices.h"
#include "zip/ZipReader.h"

#include <vector>

namespace qx::zip {

// Throws qx::Error when no consistent central directory is found.
std::vector<DirectoryEntry> ReadCentralDirectory(InputDevice& device);

} // namespace qx::zip
