#include "minizip_oracle.h"

#include <unzip.h>

namespace archivetest {

bool ReadWithMinizip(const std::string& path, std::vector<OracleEntry>& entries)
{
    entries.clear();
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr) return false;
    bool ok = true;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[4096];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            ok = false;
            break;
        }
        OracleEntry entry;
        entry.rawName.assign(name, info.size_filename);
        entry.compressedSize = static_cast<unsigned long>(info.compressed_size);
        entry.uncompressedSize = static_cast<unsigned long>(info.uncompressed_size);
        entry.crc = info.crc;
        entry.encrypted = info.flag & 1;
        if (!entry.encrypted) {
            if (unzOpenCurrentFile(zip) != UNZ_OK) {
                ok = false;
                break;
            }
            char buffer[16384];
            int read = 0;
            while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
                entry.data.append(buffer, read);
            if (unzCloseCurrentFile(zip) != UNZ_OK || read < 0) ok = false;
        }
        entries.push_back(std::move(entry));
    }
    unzClose(zip);
    return ok;
}

}  // namespace archivetest
