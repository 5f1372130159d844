#include "updater/download/staging_file.h"

StagingFile OpenStagingFile(const std::filesystem::path& path, const char* mode)
{
    return StagingFile(std::fopen(path.c_str(), mode));
}
