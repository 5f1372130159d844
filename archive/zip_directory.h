// The archive's structure: the end-of-central-directory record (and its
// Zip64 form), the central-directory records and the local headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/byte_source.h"
#include "archive/zip_reader.h"

struct ZipRecord {
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;  // as the archive says, before the shift
    std::string rawName;
};

struct ZipDirectory {
    std::vector<ZipRecord> records;
    // Bytes in front of the archive proper (a self-extractor's stub, say):
    // every offset the archive gives is shifted by this much.
    std::uint64_t shift = 0;
};

// Reads the whole central directory. False when there is no end record, the
// archive spans disks, or any record is damaged or out of bounds: a directory
// that is only partly readable is not trusted at all.
bool ReadZipDirectory(ByteSource& source, ZipDirectory& directory);

struct LocalHeader {
    std::vector<unsigned char> extra;
    std::uint64_t dataOffset = 0;
};

// Reads the local header of a record and checks it against the record:
// CorruptEntry on disagreement or when it is unreadable, ReadFailed when its
// extra field is cut off.
ZipResult ReadLocalHeader(ByteSource& source, const ZipDirectory& directory, const ZipRecord& record,
                          LocalHeader& header);
