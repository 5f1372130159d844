#include "updater/download/staging_file.h"

#include <string>

StagingFile OpenStagingFile(const std::filesystem::path& path, const char* mode)
{
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return StagingFile(_wfopen(path.c_str(), wideMode.c_str()));
}
