#include "launcher/staged_update.h"

#include "common/client_names.h"

namespace launcher {

namespace {
constexpr wchar_t kUpdaterExe[] = L"Updater.exe";
}

void PrepareStagedUpdate(const std::wstring& exeFolder, StagingFiles& files)
{
    const std::wstring staging = exeFolder + client::kStagingFolder + L"\\";
    const std::wstring merged = staging + client::kMergedDownload;

    const std::wstring leftovers[] = {
        staging + kUpdaterExe, merged + L"0", merged + L"1", merged + L"2", merged + L"3", merged,
    };
    for (const std::wstring& leftover : leftovers)
        files.Remove(leftover);

    const std::wstring staged = staging + client::kStagedPackage;
    if (!files.Exists(staged)) return;
    if (files.Copy(staged, exeFolder + client::kStagedPackage)) files.Remove(staged);
}

}  // namespace launcher
