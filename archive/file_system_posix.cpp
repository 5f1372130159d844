// The native counterpart of file_system_win.cpp, for the tests: paths are
// UTF-8, '\' separates folders like '/', and only the read-only attribute
// has a meaning (the owner's write permission).
#include "archive/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <vector>

namespace files {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;

std::string NativePath(const std::wstring& path)
{
    std::string out;
    out.reserve(path.size());
    for (const wchar_t wc : path) {
        auto c = static_cast<char32_t>(wc);
        if (c == U'\\') c = U'/';
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring WidePath(const std::string& path)
{
    std::wstring out;
    for (std::size_t i = 0; i < path.size();) {
        const auto lead = static_cast<unsigned char>(path[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? (lead & 0x1F)
                     : extra == 2 ? (lead & 0x0F)
                                  : (lead & 0x07);
        for (int k = 1; k <= extra && i + k < path.size(); ++k)
            c = (c << 6) | (path[i + k] & 0x3F);
        out += static_cast<wchar_t>(c);
        i += 1 + extra;
    }
    return out;
}

class FileSource : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { close(fd_); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override
    {
        if (offset > size_ || length > size_ - offset) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        while (length > 0) {
            const ssize_t n = pread(fd_, out, length, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            out += n, offset += static_cast<std::uint64_t>(n), length -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_;
};

timespec ToTimespec(std::uint64_t fileTime)
{
    if (fileTime == 0) return timespec{0, UTIME_OMIT};
    const auto seconds = static_cast<std::int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
    return timespec{static_cast<time_t>(seconds), static_cast<long>(fileTime % kTicksPerSecond) * 100};
}

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { close(fd_); }
    bool Write(const void* data, std::size_t length) override
    {
        auto* in = static_cast<const unsigned char*>(data);
        while (length > 0) {
            const ssize_t n = write(fd_, in, length);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            in += n, length -= static_cast<std::size_t>(n);
        }
        return true;
    }
    void SetTimes(const FileTimes& times) override
    {
        const timespec both[2] = {ToTimespec(times.access), ToTimespec(times.write)};
        futimens(fd_, both);
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenForReading(const std::wstring& path)
{
    const int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(info.st_size));
}

std::unique_ptr<OutputFile> CreateForWriting(const std::wstring& path, std::uint32_t attributes)
{
    const mode_t mode = (attributes & 0x01) ? 0444 : 0666;
    const std::string native = NativePath(path);
    struct stat info;
    // Windows refuses to replace a read-only file; so do we, even as root.
    if (stat(native.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || !(info.st_mode & S_IWUSR)))
        return nullptr;
    const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

bool SetAttributes(const std::wstring& path, std::uint32_t attributes)
{
    const std::string native = NativePath(path);
    struct stat info;
    if (stat(native.c_str(), &info) != 0) return false;
    const mode_t mode = (attributes & 0x01) ? (info.st_mode & ~0222) : (info.st_mode | S_IWUSR);
    return chmod(native.c_str(), mode & 07777) == 0;
}

bool Exists(const std::wstring& path)
{
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0;
}

bool IsFolder(const std::wstring& path)
{
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::wstring& path)
{
    return mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool RemoveEmptyFolder(const std::wstring& path)
{
    return rmdir(NativePath(path).c_str()) == 0;
}

bool RemoveFile(const std::wstring& path)
{
    const std::string native = NativePath(path);
    struct stat info;
    // Like DeleteFileW: not a folder, not a read-only file.
    if (lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    if (S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)) return false;
    return unlink(native.c_str()) == 0;
}

bool RemoveFileAnyway(const std::wstring& path)
{
    return unlink(NativePath(path).c_str()) == 0;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    const std::string native = NativePath(folder);
    DIR* listing = opendir(native.c_str());
    if (listing == nullptr) return names;
    while (const dirent* entry = readdir(listing)) {
        struct stat info;
        const std::string path = native + "/" + entry->d_name;
        if (lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            names.push_back(WidePath(entry->d_name));
    }
    closedir(listing);
    return names;
}

bool RenameFile(const std::wstring& from, const std::wstring& to)
{
    const std::string target = NativePath(to);
    struct stat info;
    if (lstat(target.c_str(), &info) == 0) return false;
    return rename(NativePath(from).c_str(), target.c_str()) == 0;
}

std::wstring CurrentFolder()
{
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
    return WidePath(buffer.data());
}

std::wstring AbsolutePath(const std::wstring& path)
{
    if (!path.empty() && (path[0] == L'/' || path[0] == L'\\')) return path;
    std::wstring folder = CurrentFolder();
    if (folder.empty() || folder.back() != L'/') folder += L'/';
    return folder + path;
}

bool LocalFileTimeToUtc(std::uint64_t local, std::uint64_t& utc)
{
    const auto seconds = static_cast<std::int64_t>(local / kTicksPerSecond) - kSecondsFrom1601To1970;
    const time_t asIfUtc = static_cast<time_t>(seconds);
    struct tm parts;
    if (gmtime_r(&asIfUtc, &parts) == nullptr) return false;
    parts.tm_isdst = -1;
    const time_t moment = mktime(&parts);
    if (moment == static_cast<time_t>(-1) && seconds != -1) return false;
    utc = static_cast<std::uint64_t>(static_cast<std::int64_t>(moment) + kSecondsFrom1601To1970) *
              kTicksPerSecond +
          local % kTicksPerSecond;
    return true;
}

}  // namespace files
