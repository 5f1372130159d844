#include "archive/zip_directory.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::uint32_t kSaturated32 = 0xFFFFFFFF;
constexpr std::uint16_t kFlagDataDescriptor = 0x08;

std::uint16_t Get16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Get32(const unsigned char* p)
{
    return Get16(p) | (static_cast<std::uint32_t>(Get16(p + 2)) << 16);
}
std::uint64_t Get64(const unsigned char* p)
{
    return Get32(p) | (static_cast<std::uint64_t>(Get32(p + 4)) << 32);
}

// Where the end record starts: searched backwards over the comment's
// largest possible size.
bool FindEndRecord(ByteSource& source, std::uint64_t& position, unsigned char (&record)[kEndSize])
{
    const std::uint64_t size = source.Size();
    if (size < kEndSize) return false;
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kEndSize + kMaxCommentSize);
    std::vector<unsigned char> tail(static_cast<std::size_t>(tailSize));
    if (!source.ReadAt(size - tailSize, tail.data(), tail.size())) return false;
    for (std::size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
        if (Get32(&tail[i]) == kEndSignature) {
            position = size - tailSize + i;
            std::copy(tail.begin() + i, tail.begin() + i + kEndSize, record);
            return true;
        }
    }
    return false;
}

struct DirectoryBounds {
    std::uint64_t entries = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint64_t endPosition = 0;  // where the directory must end
};

// The Zip64 end record, when a locator in front of the end record points at one.
bool ReadZip64End(ByteSource& source, std::uint64_t endPosition, DirectoryBounds& bounds, bool& present)
{
    present = false;
    if (endPosition < kZip64LocatorSize) return true;
    unsigned char locator[kZip64LocatorSize];
    const std::uint64_t locatorPosition = endPosition - kZip64LocatorSize;
    if (!source.ReadAt(locatorPosition, locator, sizeof locator) ||
        Get32(locator) != kZip64LocatorSignature) {
        return true;
    }
    present = true;
    if (Get32(locator + 4) != 0 || Get32(locator + 16) > 1) return false;
    unsigned char record[kZip64EndSize];
    // A stub in front of the archive shifts the stated position; the record
    // usually sits right before the locator.
    std::uint64_t position = Get64(locator + 8);
    if (!source.ReadAt(position, record, sizeof record) || Get32(record) != kZip64EndSignature) {
        if (locatorPosition < kZip64EndSize) return false;
        position = locatorPosition - kZip64EndSize;
        if (!source.ReadAt(position, record, sizeof record) || Get32(record) != kZip64EndSignature)
            return false;
    }
    if (Get32(record + 16) != 0 || Get32(record + 20) != 0) return false;
    if (Get64(record + 24) != Get64(record + 32)) return false;
    bounds.entries = Get64(record + 32);
    bounds.size = Get64(record + 40);
    bounds.offset = Get64(record + 48);
    bounds.endPosition = position;
    return true;
}

// Replaces the saturated 32-bit fields with their values from the Zip64
// extra block, in the order the format fixes.
bool ApplyZip64Extra(const unsigned char* extra, std::size_t length, ZipRecord& record, bool sizeSaturated,
                     bool compressedSaturated, bool offsetSaturated)
{
    std::size_t p = 0;
    while (p + 4 <= length) {
        const std::uint16_t id = Get16(extra + p);
        const std::size_t size = Get16(extra + p + 2);
        if (p + 4 + size > length) return false;
        if (id == 0x0001) {
            const unsigned char* data = extra + p + 4;
            std::size_t at = 0;
            std::uint64_t* const fields[] = {&record.uncompressedSize, &record.compressedSize,
                                             &record.localHeaderOffset};
            const bool saturated[] = {sizeSaturated, compressedSaturated, offsetSaturated};
            for (int i = 0; i < 3; ++i) {
                if (!saturated[i]) continue;
                if (at + 8 > size) return false;
                *fields[i] = Get64(data + at);
                at += 8;
            }
            return true;
        }
        p += 4 + size;
    }
    return !(sizeSaturated || compressedSaturated || offsetSaturated);
}

}  // namespace

bool ReadZipDirectory(ByteSource& source, ZipDirectory& directory)
{
    directory = ZipDirectory();
    std::uint64_t endPosition = 0;
    unsigned char end[kEndSize];
    if (!FindEndRecord(source, endPosition, end)) return false;

    DirectoryBounds bounds;
    bool zip64 = false;
    if (!ReadZip64End(source, endPosition, bounds, zip64)) return false;
    if (!zip64) {
        if (Get16(end + 4) != 0 || Get16(end + 6) != 0) return false;  // spans disks
        if (Get16(end + 8) != Get16(end + 10)) return false;
        bounds.entries = Get16(end + 10);
        bounds.size = Get32(end + 12);
        bounds.offset = Get32(end + 16);
        bounds.endPosition = endPosition;
    }
    if (bounds.offset > bounds.endPosition || bounds.size > bounds.endPosition - bounds.offset) return false;
    directory.shift = bounds.endPosition - bounds.offset - bounds.size;
    if (bounds.entries > bounds.size / kCentralSize) return false;

    std::vector<unsigned char> central(static_cast<std::size_t>(bounds.size));
    if (!source.ReadAt(bounds.offset + directory.shift, central.data(), central.size())) return false;

    directory.records.reserve(static_cast<std::size_t>(bounds.entries));
    std::size_t p = 0;
    for (std::uint64_t i = 0; i < bounds.entries; ++i) {
        if (central.size() - p < kCentralSize) return false;
        const unsigned char* h = central.data() + p;
        if (Get32(h) != kCentralSignature) return false;
        const std::size_t nameLength = Get16(h + 28);
        const std::size_t extraLength = Get16(h + 30);
        const std::size_t commentLength = Get16(h + 32);
        if (central.size() - p - kCentralSize < nameLength + extraLength + commentLength) return false;

        ZipRecord record;
        record.versionMadeBy = Get16(h + 4);
        record.flags = Get16(h + 8);
        record.method = Get16(h + 10);
        record.dosTime = Get16(h + 12);
        record.dosDate = Get16(h + 14);
        record.crc = Get32(h + 16);
        record.compressedSize = Get32(h + 20);
        record.uncompressedSize = Get32(h + 24);
        record.externalAttributes = Get32(h + 38);
        record.localHeaderOffset = Get32(h + 42);
        record.rawName.assign(reinterpret_cast<const char*>(h + kCentralSize), nameLength);
        if (!ApplyZip64Extra(h + kCentralSize + nameLength, extraLength, record,
                             record.uncompressedSize == kSaturated32, record.compressedSize == kSaturated32,
                             record.localHeaderOffset == kSaturated32)) {
            return false;
        }
        directory.records.push_back(std::move(record));
        p += kCentralSize + nameLength + extraLength + commentLength;
    }
    return true;
}

ZipResult ReadLocalHeader(ByteSource& source, const ZipDirectory& directory, const ZipRecord& record,
                          LocalHeader& header)
{
    const std::uint64_t position = record.localHeaderOffset + directory.shift;
    if (position < record.localHeaderOffset) return ZipResult::CorruptEntry;
    unsigned char h[kLocalSize];
    if (!source.ReadAt(position, h, sizeof h) || Get32(h) != kLocalSignature) return ZipResult::CorruptEntry;
    if (Get16(h + 8) != record.method || Get16(h + 26) != record.rawName.size())
        return ZipResult::CorruptEntry;
    if (!(record.flags & kFlagDataDescriptor)) {
        const std::uint32_t compressed = Get32(h + 18);
        const std::uint32_t uncompressed = Get32(h + 22);
        const bool sizesAgree = (compressed == kSaturated32 || compressed == record.compressedSize) &&
                                (uncompressed == kSaturated32 || uncompressed == record.uncompressedSize);
        if (Get32(h + 14) != record.crc || !sizesAgree) return ZipResult::CorruptEntry;
    }
    const std::size_t extraLength = Get16(h + 28);
    const std::uint64_t extraPosition = position + kLocalSize + record.rawName.size();
    header.extra.resize(extraLength);
    if (!source.ReadAt(extraPosition, header.extra.data(), extraLength)) return ZipResult::ReadFailed;
    header.dataOffset = extraPosition + extraLength;
    return ZipResult::Ok;
}
