// The downloader's files, opened by wide-capable paths so an installation
// folder with characters outside the ANSI code page works.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

struct StagingFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using StagingFile = std::unique_ptr<std::FILE, StagingFileCloser>;

// fopen with a path; mode as fopen's ("rb", "wb", "ab"). Empty on failure.
StagingFile OpenStagingFile(const std::filesystem::path& path, const char* mode);
