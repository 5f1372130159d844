#include "archive/zip_reader.h"

#include <algorithm>

#include "archive/entry_data.h"
#include "archive/entry_metadata.h"
#include "archive/file_system.h"
#include "archive/zip_directory.h"
#include "archive/zip_names.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::uint32_t Saturated32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFF));
}

std::wstring CurrentFolderWithSeparator()
{
    std::wstring folder = files::CurrentFolder();
    if (folder.empty() || !IsSeparator(folder.back())) folder += L'\\';
    return folder;
}

// The whole archive's bytes bound any single entry's data, which keeps a
// forged size from reserving memory that the data can never fill.
constexpr std::uint64_t kMaxReserve = 64u << 20;

}  // namespace

ZipReader::ZipReader(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipDirectory> directory)
    : source_(std::move(source)), directory_(std::move(directory)), rootFolder_(CurrentFolderWithSeparator())
{
}

ZipReader::~ZipReader() = default;

ZipResult ZipReader::OpenSource(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipReader>& reader)
{
    reader.reset();
    if (!source) return ZipResult::CannotOpenFile;
    auto directory = std::make_unique<ZipDirectory>();
    if (!ReadZipDirectory(*source, *directory)) return ZipResult::CannotOpenFile;
    reader.reset(new ZipReader(std::move(source), std::move(directory)));
    return ZipResult::Ok;
}

ZipResult ZipReader::Open(const std::wstring& path, std::unique_ptr<ZipReader>& reader)
{
    return OpenSource(files::OpenForReading(path), reader);
}

ZipResult ZipReader::Open(const void* data, std::size_t size, std::unique_ptr<ZipReader>& reader)
{
    return OpenSource(std::make_unique<MemoryByteSource>(data, size), reader);
}

ZipResult ZipReader::Describe(int index, ZipEntryInfo& info, std::uint64_t& dataOffset)
{
    const ZipRecord& record = directory_->records[static_cast<std::size_t>(index)];
    LocalHeader local;
    const ZipResult header = ReadLocalHeader(*source_, *directory_, record, local);
    if (header != ZipResult::Ok) return header;

    ZipEntryInfo entry;
    entry.index = index;
    entry.name = MakeSafeName(DecodeUtf8Name(record.rawName));
    entry.attributes = EntryAttributes(record.externalAttributes, record.versionMadeBy);
    // A name ending in '/' is a folder whatever the attributes say.
    if (!record.rawName.empty() && record.rawName.back() == '/')
        entry.attributes |= file_attribute::Directory;
    const std::uint64_t dosTime = DosTimeToFileTime(record.dosDate, record.dosTime);
    entry.times = FileTimes{dosTime, dosTime, dosTime};
    ApplyExtendedTimestamp(local.extra.data(), local.extra.size(), entry.times);
    entry.compressedSize = Saturated32(record.compressedSize);
    entry.uncompressedSize = Saturated32(record.uncompressedSize);

    info = entry;
    dataOffset = local.dataOffset;
    describedIndex_ = index;
    described_ = entry;
    describedDataOffset_ = dataOffset;
    return ZipResult::Ok;
}

ZipResult ZipReader::GetEntry(int index, ZipEntryInfo& info)
{
    if (!directory_) return ZipResult::CannotOpenFile;
    const auto count = static_cast<int>(directory_->records.size());
    if (index < -1 || index >= count) return ZipResult::BadArgument;
    if (index == -1) {
        info = ZipEntryInfo();
        info.index = count;
        return ZipResult::Ok;
    }
    if (index == describedIndex_) {
        info = described_;
    } else {
        std::uint64_t dataOffset = 0;
        const ZipResult described = Describe(index, info, dataOffset);
        if (described != ZipResult::Ok) return described;
    }
    return StaysInsideFolder(info.name) ? ZipResult::Ok : ZipResult::NameOutsideFolder;
}

ZipResult ZipReader::ExtractEntry(int index, const std::wstring& destName)
{
    if (!directory_) return ZipResult::CannotOpenFile;
    if (index < 0 || index >= static_cast<int>(directory_->records.size())) return ZipResult::BadArgument;
    ZipEntryInfo info;
    std::uint64_t dataOffset = describedDataOffset_;
    if (index == describedIndex_) {
        info = described_;
    } else {
        const ZipResult described = Describe(index, info, dataOffset);
        if (described != ZipResult::Ok) return described;
    }
    const bool absolute = IsAbsoluteName(destName);
    if (!absolute && !StaysInsideFolder(destName)) return ZipResult::NameOutsideFolder;
    const std::wstring base = absolute ? std::wstring() : rootFolder_;

    if (info.attributes & file_attribute::Directory) {
        EnsureFolder(base, destName);
        return files::IsFolder(base + destName) ? ZipResult::Ok : ZipResult::CannotOpenFile;
    }

    const ZipRecord& record = directory_->records[static_cast<std::size_t>(index)];
    const ZipResult method = CheckEntryMethod(record);
    if (method != ZipResult::Ok) return method;

    const std::size_t split = destName.find_last_of(L"\\/");
    const std::wstring folder = split == std::wstring::npos ? std::wstring() : destName.substr(0, split + 1);
    EnsureFolder(base, folder);
    auto file = files::CreateForWriting(base + destName, info.attributes);
    if (!file) return ZipResult::CannotOpenFile;
    const ZipResult result = ReadEntryData(
        *source_, record, dataOffset, buffer_,
        [&file](const unsigned char* data, std::size_t length) { return file->Write(data, length); });
    if (result == ZipResult::Ok) file->SetTimes(info.times);
    return result;
}

ZipResult ZipReader::ReadEntry(int index, std::vector<unsigned char>& data)
{
    data.clear();
    if (!directory_) return ZipResult::CannotOpenFile;
    if (index < 0 || index >= static_cast<int>(directory_->records.size())) return ZipResult::BadArgument;
    ZipEntryInfo info;
    std::uint64_t dataOffset = describedDataOffset_;
    if (index != describedIndex_) {
        const ZipResult described = Describe(index, info, dataOffset);
        if (described != ZipResult::Ok) return described;
    }
    const ZipRecord& record = directory_->records[static_cast<std::size_t>(index)];
    data.reserve(static_cast<std::size_t>(std::min(record.uncompressedSize, kMaxReserve)));
    const ZipResult result = ReadEntryData(*source_, record, dataOffset, buffer_,
                                           [&data](const unsigned char* bytes, std::size_t length) {
                                               data.insert(data.end(), bytes, bytes + length);
                                               return true;
                                           });
    if (result != ZipResult::Ok) data.clear();
    return result;
}

int ZipReader::FindEntry(const std::wstring& name)
{
    if (!directory_) return -1;
    for (std::size_t i = 0; i < directory_->records.size(); ++i) {
        if (MakeSafeName(DecodeUtf8Name(directory_->records[i].rawName)) == name) return static_cast<int>(i);
    }
    return -1;
}

ZipResult ZipReader::Close()
{
    source_.reset();
    directory_.reset();
    describedIndex_ = -1;
    buffer_ = std::vector<unsigned char>();
    return ZipResult::Ok;
}

void EnsureFolder(const std::wstring& base, const std::wstring& name)
{
    if (!base.empty() && !files::Exists(base)) files::MakeFolder(base);
    if (name.empty()) return;
    // Parents first, from the outermost inwards; a separator at the very
    // start (an absolute name) is no parent of its own.
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (IsSeparator(name[i]) && !IsSeparator(name[i - 1])) {
            const std::wstring parent = base + name.substr(0, i);
            if (!files::Exists(parent)) files::MakeFolder(parent);
        }
    }
    if (!files::Exists(base + name)) files::MakeFolder(base + name);
}
