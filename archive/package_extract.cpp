#include "archive/package_extract.h"

#include <memory>
#include <vector>

#include "archive/file_system.h"
#include "archive/zip_names.h"
#include "archive/zip_reader.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring WithSeparator(std::wstring folder)
{
    if (folder.empty() || !IsSeparator(folder.back())) folder += L'\\';
    return folder;
}

std::wstring FirstElement(const std::wstring& name)
{
    const std::size_t end = name.find_first_of(L"\\/");
    return end == std::wstring::npos ? name : name.substr(0, end);
}

// ASCII-only case folding is enough: the staging names are ASCII.
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](wchar_t c) {
            return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct PlannedEntry {
    int index = 0;
    std::wstring name;
    bool folder = false;
    std::uint32_t attributes = 0;
};

// The folder inside the target that holds the checked entries until they
// are moved into place, one file per entry named by its index. Being inside
// the target keeps the moves on one volume and needs no rights beyond the
// target's. Emptied and removed on every way out.
class StagingFolder {
public:
    StagingFolder(const std::wstring& target, const std::vector<PlannedEntry>& entries)
    {
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::wstring name = L"~tvr-staging" + (attempt ? std::to_wstring(attempt) : std::wstring());
            if (ClashesWithEntry(name, entries)) continue;
            const std::wstring candidate = target + name;
            // A folder left by an interrupted run is cleared and used again.
            if (files::IsFolder(candidate)) RemoveWithFiles(candidate);
            if (!files::Exists(candidate) && files::MakeFolder(candidate)) path_ = WithSeparator(candidate);
        }
    }
    ~StagingFolder()
    {
        if (!path_.empty()) RemoveWithFiles(path_);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    bool ready() const { return !path_.empty(); }
    std::wstring PathFor(int index) const { return path_ + std::to_wstring(index); }

private:
    static bool ClashesWithEntry(const std::wstring& name, const std::vector<PlannedEntry>& entries)
    {
        for (const PlannedEntry& entry : entries) {
            if (SameNameIgnoringCase(FirstElement(entry.name), name)) return true;
        }
        return false;
    }
    static void RemoveWithFiles(const std::wstring& folder)
    {
        const std::wstring prefix = WithSeparator(folder);
        for (const std::wstring& file : files::FilesIn(folder))
            files::RemoveFileAnyway(prefix + file);
        files::RemoveEmptyFolder(folder);
    }

    std::wstring path_;
};

bool PutInPlace(const std::wstring& target, const PlannedEntry& entry, const StagingFolder& staging)
{
    if (entry.folder) {
        EnsureFolder(target, entry.name);
        return files::IsFolder(target + entry.name);
    }
    const std::size_t split = entry.name.find_last_of(L"\\/");
    if (split != std::wstring::npos) EnsureFolder(target, entry.name.substr(0, split + 1));
    const std::wstring destination = target + entry.name;
    // An old file that cannot be deleted (in use, read-only) stays, and the
    // move then fails for this entry alone.
    if (files::Exists(destination)) files::RemoveFile(destination);
    // Not every file system renames a read-only file: it moves writable and
    // gets its attributes in its place.
    const std::wstring staged = staging.PathFor(entry.index);
    const bool readOnly = entry.attributes & file_attribute::ReadOnly;
    if (readOnly) files::SetAttributes(staged, entry.attributes & ~file_attribute::ReadOnly);
    if (!files::RenameFile(staged, destination)) return false;
    if (readOnly) files::SetAttributes(destination, entry.attributes);
    return true;
}

}  // namespace

PackageExtractResult ExtractPackage(const std::wstring& zipPath, const std::wstring& targetFolder)
{
    PackageExtractResult result;
    std::unique_ptr<ZipReader> reader;
    if (ZipReader::Open(zipPath, reader) != ZipResult::Ok) return result;
    result.opened = true;

    ZipEntryInfo info;
    reader->GetEntry(-1, info);
    result.entryCount = info.index;

    std::vector<PlannedEntry> planned;
    for (int i = 0; i < result.entryCount; ++i) {
        const ZipResult described = reader->GetEntry(i, info);
        if (described == ZipResult::NameOutsideFolder || (described == ZipResult::Ok && info.name.empty())) {
            ++result.failedEntries;  // refused; nothing is written for it
            continue;
        }
        if (described != ZipResult::Ok) {
            result.damaged = true;
            ++result.failedEntries;
            return result;
        }
        planned.push_back(
            PlannedEntry{i, info.name, (info.attributes & file_attribute::Directory) != 0, info.attributes});
    }

    const std::wstring target = WithSeparator(files::AbsolutePath(targetFolder));
    EnsureFolder(std::wstring(), target);
    StagingFolder staging(target, planned);
    if (!staging.ready()) {
        result.damaged = true;  // nothing can be checked, so nothing is changed
        result.failedEntries = result.entryCount;
        return result;
    }
    for (const PlannedEntry& entry : planned) {
        if (entry.folder) continue;
        if (reader->ExtractEntry(entry.index, staging.PathFor(entry.index)) != ZipResult::Ok) {
            result.damaged = true;
            ++result.failedEntries;
            return result;
        }
    }
    reader->Close();

    for (const PlannedEntry& entry : planned) {
        if (!PutInPlace(target, entry, staging)) ++result.failedEntries;
    }
    return result;
}
