// Shared by the downloader's tests: a staging folder of their own, files,
// digests, and waiting for something another thread does.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "updater/download/md5.h"

class StagingFolder {
public:
    StagingFolder()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("h3-dl-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~StagingFolder() { std::filesystem::remove_all(path_); }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& file, const std::string& content)
{
    std::ofstream(file, std::ios::binary) << content;
}

inline std::string Md5Of(const std::string& data)
{
    MD5_CTX context;
    context.Update(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    unsigned char digest[MD5_CTX::kDigestSize];
    context.Final(digest);
    char hex[MD5_CTX::kHexSize + 1];
    DigestToHex(digest, hex);
    return hex;
}

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
