// Debian's minizip as a second reader: what it finds in an archive.
#pragma once

#include <string>
#include <vector>

namespace archivetest {

struct OracleEntry {
    std::string rawName;
    unsigned long compressedSize = 0;
    unsigned long uncompressedSize = 0;
    unsigned long crc = 0;
    bool encrypted = false;
    std::string data;  // empty when encrypted
};

// False when minizip cannot open the archive or read an entry.
bool ReadWithMinizip(const std::string& path, std::vector<OracleEntry>& entries);

}  // namespace archivetest
