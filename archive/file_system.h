// The file operations the reader needs, on wide paths. Both '\' and '/'
// separate folders. file_system_win.cpp implements them with Win32 (long
// paths included); file_system_posix.cpp natively, for the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/byte_source.h"
#include "archive/file_times.h"

namespace files {

// A file opened for reading with others allowed to read; null on failure.
std::unique_ptr<ByteSource> OpenForReading(const std::wstring& path);

// A file being written, closed by its destructor.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const void* data, std::size_t length) = 0;
    // Times of 0 are left alone; failures are ignored.
    virtual void SetTimes(const FileTimes& times) = 0;
};

// Creates or replaces path, not shared, with the given file attributes;
// null when that is not possible (read-only or in use, for instance).
std::unique_ptr<OutputFile> CreateForWriting(const std::wstring& path, std::uint32_t attributes);

// Sets the file attributes of a file (natively, only read-only has a meaning).
bool SetAttributes(const std::wstring& path, std::uint32_t attributes);

bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
bool MakeFolder(const std::wstring& path);
bool RemoveEmptyFolder(const std::wstring& path);
// Deletes a file; a read-only file is not deleted.
bool RemoveFile(const std::wstring& path);
// Deletes a file even when it is read-only.
bool RemoveFileAnyway(const std::wstring& path);
// The names of the files (not folders) directly in folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Renames a file; to must not exist.
bool RenameFile(const std::wstring& from, const std::wstring& to);

// The current directory, without a guaranteed separator at its end.
std::wstring CurrentFolder();
// path made absolute against the current directory and normalised.
std::wstring AbsolutePath(const std::wstring& path);
// Local time to UTC, both as file times, by the system's time-zone rules.
bool LocalFileTimeToUtc(std::uint64_t local, std::uint64_t& utc);

}  // namespace files
