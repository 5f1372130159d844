// File operations with Win32. Paths of any length work: long ones are given
// to Windows in their "\\?\" form.
#include "archive/file_system.h"

#include <windows.h>

#include <vector>

namespace files {
namespace {

// The full path, in the "\\?\" form when it is too long for the plain one
// (CreateDirectoryW's limit is MAX_PATH less room for an 8.3 name).
std::wstring SystemPath(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full = AbsolutePath(path);
    if (full.size() < MAX_PATH - 12) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

FILETIME ToFileTime(std::uint64_t value)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

class FileSource : public ByteSource {
public:
    FileSource(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    ~FileSource() override { CloseHandle(file_); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override
    {
        if (offset > size_ || length > size_ - offset) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        while (length > 0) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD read = 0;
            const DWORD want = static_cast<DWORD>(length > 0x40000000 ? 0x40000000 : length);
            if (!::ReadFile(file_, out, want, &read, &at) || read == 0) return false;
            out += read, offset += read, length -= read;
        }
        return true;
    }

private:
    HANDLE file_;
    std::uint64_t size_;
};

class WinOutputFile : public OutputFile {
public:
    explicit WinOutputFile(HANDLE file) : file_(file) {}
    ~WinOutputFile() override { CloseHandle(file_); }
    bool Write(const void* data, std::size_t length) override
    {
        auto* in = static_cast<const unsigned char*>(data);
        while (length > 0) {
            DWORD written = 0;
            const DWORD want = static_cast<DWORD>(length > 0x40000000 ? 0x40000000 : length);
            if (!::WriteFile(file_, in, want, &written, nullptr) || written == 0) return false;
            in += written, length -= written;
        }
        return true;
    }
    void SetTimes(const FileTimes& times) override
    {
        const FILETIME creation = ToFileTime(times.creation);
        const FILETIME access = ToFileTime(times.access);
        const FILETIME write = ToFileTime(times.write);
        ::SetFileTime(file_, times.creation ? &creation : nullptr, times.access ? &access : nullptr,
                      times.write ? &write : nullptr);
    }

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenForReading(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<FileSource>(file, static_cast<std::uint64_t>(size.QuadPart));
}

std::unique_ptr<OutputFile> CreateForWriting(const std::wstring& path, std::uint32_t attributes)
{
    const DWORD flags = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinOutputFile>(file);
}

bool SetAttributes(const std::wstring& path, std::uint32_t attributes)
{
    const DWORD settable = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return ::SetFileAttributesW(SystemPath(path).c_str(), settable ? settable : FILE_ATTRIBUTE_NORMAL);
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const std::wstring& path)
{
    return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr);
}

bool RemoveEmptyFolder(const std::wstring& path)
{
    return ::RemoveDirectoryW(SystemPath(path).c_str());
}

bool RemoveFile(const std::wstring& path)
{
    return ::DeleteFileW(SystemPath(path).c_str());
}

bool RemoveFileAnyway(const std::wstring& path)
{
    const std::wstring system = SystemPath(path);
    ::SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(system.c_str());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(SystemPath(folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

bool RenameFile(const std::wstring& from, const std::wstring& to)
{
    return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_COPY_ALLOWED);
}

std::wstring CurrentFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

std::wstring AbsolutePath(const std::wstring& path)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return path;
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

bool LocalFileTimeToUtc(std::uint64_t local, std::uint64_t& utc)
{
    const FILETIME in = ToFileTime(local);
    FILETIME out;
    if (!::LocalFileTimeToFileTime(&in, &out)) return false;
    utc = out.dwLowDateTime | (static_cast<std::uint64_t>(out.dwHighDateTime) << 32);
    return true;
}

}  // namespace files
