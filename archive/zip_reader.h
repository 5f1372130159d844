// A small zip archive reader: describes entries in a form fit for Windows
// files (safe wide names, file attributes, file times) and writes them out.
//
// It reads the archive structure itself (end of central directory, central
// directory, local headers; Zip64 records when present) and inflates with
// zlib. Stored and deflated entries are supported; an encrypted entry gives
// PasswordRequired. Sizes and offsets in the archive are never trusted: every
// read is bounded by the archive's real size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/file_times.h"

enum class ZipResult : std::uint32_t {
    Ok = 0,
    CannotOpenFile = 0x200,       // archive unreadable or no central directory; or
                                  // the destination file cannot be created
    WriteFailed = 0x400,          // writing the destination file failed
    CorruptEntry = 0x700,         // local header disagrees with the central record
    ReadFailed = 0x800,           // local extra field out of the archive's bounds
    PasswordRequired = 0x1000,    // the entry is encrypted
    BadArgument = 0x10000,        // entry index out of range
    NameOutsideFolder = 0x20000,  // the name would leave the folder it belongs in
    InflateFailed = 0x5000000,    // data unreadable, damaged, short, or wrong CRC
};

// File attribute bits, as Windows defines them.
namespace file_attribute {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
}  // namespace file_attribute

struct ZipEntryInfo {
    int index = 0;                     // for the query of index -1: the entry count
    std::wstring name;                 // decoded as UTF-8 and made safe
    std::uint32_t attributes = 0;      // file_attribute bits
    FileTimes times;                   // 0 where the archive gives no valid time
    std::uint32_t compressedSize = 0;  // saturated at 0xFFFFFFFF
    std::uint32_t uncompressedSize = 0;
};

struct ByteSource;
struct ZipDirectory;

class ZipReader {
public:
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Opens an archive file (a relative path means the current directory).
    // rootFolder is the current directory at this moment, with a separator
    // at its end. On failure reader is empty and the result CannotOpenFile.
    static ZipResult Open(const std::wstring& path, std::unique_ptr<ZipReader>& reader);
    // Opens an archive held in memory; the bytes must outlive the reader.
    static ZipResult Open(const void* data, std::size_t size, std::unique_ptr<ZipReader>& reader);

    // Index -1 gives the entry count in info.index. A name that would leave
    // the folder (a ".." element survives the name rules) is described in
    // full and reported as NameOutsideFolder.
    ZipResult GetEntry(int index, ZipEntryInfo& info);

    // Writes the entry to destName: absolute, or relative to rootFolder.
    // Folder entries create the folder; file entries create their folders
    // first, then the file with the entry's attributes and times, and check
    // its size and CRC-32. A relative destName with a ".." element is
    // refused (NameOutsideFolder) and nothing is written.
    ZipResult ExtractEntry(int index, const std::wstring& destName);

    // Inflates and checks the entry's data into memory.
    ZipResult ReadEntry(int index, std::vector<unsigned char>& data);

    // The index of the entry whose safe name equals name, or -1.
    int FindEntry(const std::wstring& name);

    // Releases the archive; later calls fail with CannotOpenFile.
    ZipResult Close();

    const std::wstring& rootFolder() const { return rootFolder_; }

private:
    ZipReader(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipDirectory> directory);
    static ZipResult OpenSource(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipReader>& reader);
    ZipResult Describe(int index, ZipEntryInfo& info, std::uint64_t& dataOffset);

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<ZipDirectory> directory_;
    std::wstring rootFolder_;
    int describedIndex_ = -1;
    ZipEntryInfo described_;
    std::uint64_t describedDataOffset_ = 0;
    std::vector<unsigned char> buffer_;
};

// Creates base when it is missing, then every folder of name (relative to
// base; absolute when base is empty) from the outermost inwards. Failures
// are not reported: the caller finds out when it uses the folder.
void EnsureFolder(const std::wstring& base, const std::wstring& name);
