// Reading an entry's data: stored or deflated, checked for size and CRC-32
// as it is produced.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "archive/byte_source.h"
#include "archive/zip_directory.h"

// Whether the data can be read at all: PasswordRequired for an encrypted
// entry, InflateFailed for a method other than stored or deflated.
ZipResult CheckEntryMethod(const ZipRecord& record);

// Hands the entry's data to write in chunks. InflateFailed when the data is
// damaged, cut off, longer or shorter than the record says, or its CRC-32
// differs; WriteFailed when write returns false. work is scratch space,
// grown as needed and kept by the caller between entries.
ZipResult ReadEntryData(ByteSource& source, const ZipRecord& record, std::uint64_t dataOffset,
                        std::vector<unsigned char>& work,
                        const std::function<bool(const unsigned char*, std::size_t)>& write);
