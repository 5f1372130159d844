// The zip reader and the package extraction on arbitrary bytes: no crash, no
// read out of bounds, and nothing written outside the folder extracted into.
//
// The scratch layout is <scratch>/a/b/root, with root the current directory:
// an entry that climbs out of root would show up in b, a or the scratch
// folder, which must hold nothing but the chain down to root.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "archive/package_extract.h"
#include "archive/zip_names.h"
#include "archive/zip_reader.h"

namespace fs = std::filesystem;

namespace {

// Entries may declare large sizes; inflating them is bounded by the archive,
// but there is no point in filling the disk while fuzzing.
constexpr std::uint32_t kMaxEntrySize = 1u << 20;

fs::path scratch;
fs::path root;

void RemoveContents(const fs::path& folder)
{
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(folder, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        fs::remove_all(entry.path(), ignored);
}

// Each folder on the way down holds exactly the next one (and, in the
// scratch folder, the package file).
void CheckNothingOutsideRoot()
{
    const fs::path chain[] = {scratch, scratch / "a", scratch / "a" / "b"};
    const fs::path allowed[] = {scratch / "a", scratch / "a" / "b", root};
    for (int i = 0; i < 3; ++i) {
        for (const auto& entry : fs::directory_iterator(chain[i])) {
            if (entry.path() != allowed[i] && entry.path() != scratch / "package.zip") {
                std::fprintf(stderr, "written outside the folder: %s\n", entry.path().c_str());
                abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/zip-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) abort();
    scratch = pattern;
    root = scratch / "a" / "b" / "root";
    fs::create_directories(root);
    fs::current_path(root);
    atexit([] {
        std::error_code ignored;
        RemoveContents(scratch);
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<ZipReader> reader;
    if (ZipReader::Open(data, size, reader) == ZipResult::Ok) {
        ZipEntryInfo info;
        reader->GetEntry(-1, info);
        const int count = info.index;
        reader->GetEntry(count, info);
        for (int i = 0; i < count; ++i) {
            // Refused names are extracted too: the reader must refuse them.
            reader->GetEntry(i, info);
            if (info.uncompressedSize > kMaxEntrySize) continue;
            reader->ExtractEntry(i, info.name);
            std::vector<unsigned char> bytes;
            reader->ReadEntry(i, bytes);
            if (bytes.size() > info.uncompressedSize) abort();
        }
        // Backwards, so the reader has to start over.
        for (int i = count - 1; i >= 0 && i >= count - 3; --i)
            reader->GetEntry(i, info);
        reader->Close();
    }
    CheckNothingOutsideRoot();
    RemoveContents(root);

    {
        std::ofstream package(scratch / "package.zip", std::ios::binary | std::ios::trunc);
        package.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const PackageExtractResult result =
        ExtractPackage(DecodeUtf8Name((scratch / "package.zip").string()), DecodeUtf8Name(root.string()));
    if (result.damaged && !fs::is_empty(root)) {
        std::fprintf(stderr, "a damaged package changed the folder\n");
        abort();
    }
    CheckNothingOutsideRoot();
    RemoveContents(root);
    return 0;
}
