// The archive code on Windows: zlib.dll loaded as the updater loads it, file
// attributes and times, long paths, a file in use, non-ASCII folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "archive/package_extract.h"
#include "archive_fixtures.h"

namespace {

namespace fs = std::filesystem;
using ExtractZipToDirFunction = int(__cdecl*)(const wchar_t*, const wchar_t*, int);

// Deletes a folder with everything in it, read-only files and long paths too.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A fresh folder in the temporary folder, with a non-ASCII name.
class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        for (int counter = 0; path_.empty(); ++counter) {
            const std::wstring candidate = std::wstring(temp) + L"\u5F52\u6863-" + std::to_wstring(counter);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate + L"\\";
        }
    }
    ~ScratchFolder() { RemoveTree(L"\\\\?\\" + path_.substr(0, path_.size() - 1)); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

template <std::size_t N>
void WriteBytes(const std::wstring& path, const unsigned char (&bytes)[N])
{
    std::ofstream out(fs::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes), N);
    ASSERT_TRUE(out.good());
}

void WriteText(const std::wstring& path, const std::string& text)
{
    std::ofstream out(fs::path(path), std::ios::binary);
    out << text;
}

std::string ReadText(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

std::wstring LongName()
{
    std::wstring name;
    for (wchar_t c = L'a'; c <= L'f'; ++c)
        name += std::wstring(60, c) + L"\\";
    return name + std::wstring(100, L'f') + L".txt";
}

class ZlibDll : public testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryW(L"zlib.dll");
        ASSERT_NE(module_, nullptr);
        extract_ = reinterpret_cast<ExtractZipToDirFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "ExtractZipToDir")));
        ASSERT_NE(extract_, nullptr);
        target_ = scratch_.path() + L"\u5B89\u88C5\\";
        package_ = scratch_.path() + L"\u5305.zip";
    }
    void TearDown() override
    {
        if (module_) FreeLibrary(module_);
    }

    HMODULE module_ = nullptr;
    ExtractZipToDirFunction extract_ = nullptr;
    ScratchFolder scratch_;
    std::wstring target_;
    std::wstring package_;
};

TEST_F(ZlibDll, ExtractsIntoANonAsciiFolderWithAttributesAndTimes)
{
    WriteBytes(package_, kGoodPackage);
    EXPECT_EQ(extract_(package_.c_str(), target_.c_str(), 0), 0);

    EXPECT_EQ(ReadText(target_ + L"client.exe"), Repeat("new client", 100));
    EXPECT_EQ(ReadText(target_ + L"\u63D2\u4EF6\\\u8BF4\u660E.txt"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(ReadText(L"\\\\?\\" + target_ + LongName()), "long");
    EXPECT_NE(GetFileAttributesW((target_ + L"folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    const DWORD readOnly = GetFileAttributesW((target_ + L"readonly.txt").c_str());
    const DWORD hidden = GetFileAttributesW((target_ + L"hidden.txt").c_str());
    ASSERT_NE(readOnly, INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(hidden, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(readOnly & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(readOnly & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(hidden & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(hidden & FILE_ATTRIBUTE_READONLY);

    WIN32_FILE_ATTRIBUTE_DATA timed;
    ASSERT_TRUE(GetFileAttributesExW((target_ + L"timed.txt").c_str(), GetFileExInfoStandard, &timed));
    const unsigned long long write =
        timed.ftLastWriteTime.dwLowDateTime |
        (static_cast<unsigned long long>(timed.ftLastWriteTime.dwHighDateTime) << 32);
    EXPECT_EQ(write, (kTimedUnixSeconds + 11644473600ull) * 10000000ull);

    EXPECT_EQ(GetFileAttributesW((target_ + L"~tvr-staging").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ZlibDll, DamagedPackageChangesNothing)
{
    CreateDirectoryW(target_.c_str(), nullptr);
    WriteText(target_ + L"client.exe", "old client");
    WriteBytes(package_, kDamagedPackage);
    EXPECT_EQ(extract_(package_.c_str(), target_.c_str(), 0), 2);
    EXPECT_EQ(ReadText(target_ + L"client.exe"), "old client");
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(target_))) {
        EXPECT_EQ(entry.path().filename().wstring(), L"client.exe");
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(PackageExtractWin, AFileInUseFailsAloneAndStays)
{
    ScratchFolder scratch;
    const std::wstring package = scratch.path() + L"update.zip";
    WriteBytes(package, kGoodPackage);
    WriteText(scratch.path() + L"client.exe", "old client");
    // Held open as a running program's image is: readable, never deletable.
    const HANDLE inUse = CreateFileW((scratch.path() + L"client.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    const PackageExtractResult result = ExtractPackage(package, scratch.path());
    CloseHandle(inUse);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.damaged);
    EXPECT_EQ(result.failedEntries, 1);
    EXPECT_EQ(ReadText(scratch.path() + L"client.exe"), "old client");
    EXPECT_EQ(ReadText(scratch.path() + L"last.txt"), "LAST-ENTRY-DATA");

    // A read-only old file cannot be replaced either.
    EXPECT_EQ(ExtractPackage(package, scratch.path()).failedEntries, 1);
    EXPECT_EQ(ReadText(scratch.path() + L"readonly.txt"), "read-only");
}

}  // namespace
