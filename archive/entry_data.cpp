#include "archive/entry_data.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr std::size_t kChunk = 65536;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kAesEncrypted = 99;
constexpr std::uint16_t kFlagEncrypted = 0x01;

// Owns a raw-deflate zlib stream.
class Inflater {
public:
    Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~Inflater()
    {
        if (ready_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool ready() const { return ready_; }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

ZipResult CheckEntryMethod(const ZipRecord& record)
{
    if ((record.flags & kFlagEncrypted) || record.method == kAesEncrypted) return ZipResult::PasswordRequired;
    if (record.method != kStored && record.method != kDeflated) return ZipResult::InflateFailed;
    return ZipResult::Ok;
}

ZipResult ReadEntryData(ByteSource& source, const ZipRecord& record, std::uint64_t dataOffset,
                        std::vector<unsigned char>& work,
                        const std::function<bool(const unsigned char*, std::size_t)>& write)
{
    const ZipResult method = CheckEntryMethod(record);
    if (method != ZipResult::Ok) return method;
    if (dataOffset > source.Size() || record.compressedSize > source.Size() - dataOffset) {
        return ZipResult::InflateFailed;
    }
    if (work.size() < 2 * kChunk) work.resize(2 * kChunk);
    unsigned char* const input = work.data();
    unsigned char* const output = work.data() + kChunk;

    uLong crc = crc32(0L, Z_NULL, 0);
    std::uint64_t produced = 0;
    std::uint64_t consumed = 0;

    if (record.method == kStored) {
        if (record.compressedSize != record.uncompressedSize) return ZipResult::InflateFailed;
        while (consumed < record.compressedSize) {
            const auto length =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, record.compressedSize - consumed));
            if (!source.ReadAt(dataOffset + consumed, input, length)) return ZipResult::InflateFailed;
            consumed += length;
            crc = crc32(crc, input, static_cast<uInt>(length));
            if (!write(input, length)) return ZipResult::WriteFailed;
        }
        produced = consumed;
    } else {
        Inflater inflater;
        if (!inflater.ready()) return ZipResult::InflateFailed;
        z_stream& z = inflater.stream();
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (z.avail_in == 0 && consumed < record.compressedSize) {
                const auto length = static_cast<std::size_t>(
                    std::min<std::uint64_t>(kChunk, record.compressedSize - consumed));
                if (!source.ReadAt(dataOffset + consumed, input, length)) return ZipResult::InflateFailed;
                consumed += length;
                z.next_in = input;
                z.avail_in = static_cast<uInt>(length);
            }
            z.next_out = output;
            z.avail_out = static_cast<uInt>(kChunk);
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END) return ZipResult::InflateFailed;
            const std::size_t length = kChunk - z.avail_out;
            if (length == 0 && status == Z_OK && z.avail_in == 0 && consumed == record.compressedSize) {
                return ZipResult::InflateFailed;  // the data ends before the stream does
            }
            produced += length;
            if (produced > record.uncompressedSize) return ZipResult::InflateFailed;
            crc = crc32(crc, output, static_cast<uInt>(length));
            if (length != 0 && !write(output, length)) return ZipResult::WriteFailed;
        }
    }
    if (produced != record.uncompressedSize || crc != record.crc) return ZipResult::InflateFailed;
    return ZipResult::Ok;
}
