#include "updater/install/zip_downloader_win.h"

#include <windows.h>
// shellapi.h needs the types of windows.h
#include <shellapi.h>

#include <filesystem>

#include "log/log.h"
#include "updater/install/client_process_win.h"
#include "updater/install/package_installer_win.h"
#include "updater/platform.h"
#include "updater/text_convert.h"
#include "updater/windows/failure_box_win.h"
#include "updater/windows/launch_wnd_win.h"

namespace {

constexpr char kClientProcess[] = "tuvora.exe";
constexpr wchar_t kExtractorLibrary[] = L"zlib.dll";

DownloadOptions StagingInModuleFolder()
{
    DownloadOptions options;
    options.folder = std::filesystem::path(GetModuleDir());
    return options;
}

}  // namespace

ZipDownloader::ZipDownloader(const UpdateConfig& config)
    : Downloader(config, StagingInModuleFolder(), [] { CloseClientAndWait(); }), config_(config)
{
}

void ZipDownloader::DoInstall()
{
    WaitForClientToEnd();
    // Not forced: the launcher applies the staged package when it starts.
    const bool installed = config_.forcedupdate == 0 || InstallPackage();
    if (installed) LOG(logging::Info) << "install success";

    // Also after a failed install: the user gets the client back, and the
    // launcher applies the staged package once more.
    if (!config_.launchAfterInstall) return;
    Sleep(kPauseBeforeRelaunchMs);
    {
        CLaunchWnd relaunch;
        relaunch.CenterWindow();
        relaunch.ShowModal();
    }
    StartLauncher();
}

void ZipDownloader::WaitForClientToEnd() const
{
    const DWORD start = GetTickCount();
    while (FindProcess_ByName(kClientProcess) != 0) {
        if (GetTickCount() - start > kClientWaitLimitMs) {
            LOG(logging::Error) << "Pwx still running after " << kClientWaitLimitMs / 1000
                                << " s, installing anyway";
            return;
        }
        LOG(logging::Info) << "Pwx is running";
        CloseClientAndWait();
        Sleep(kClientPollPauseMs);
    }
}

bool ZipDownloader::InstallPackage() const
{
    const PackageInstaller installer(config_.zipPath, config_.clientDic, GetModuleDir() + kExtractorLibrary);
    const DWORD start = GetTickCount();
    for (;;) {
        const InstallResult result = installer.Install();
        if (result == InstallResult::Installed) return true;
        if (result == InstallResult::ExtractorMissing || GetTickCount() - start > kInstallLimitMs) break;
        Sleep(kInstallRetryPauseMs);
    }
    LOG(logging::Error) << "update install failed";
    LOG(logging::Error) << "zipName: " << WideToMultiByte(installer.PackagePath());
    LOG(logging::Error) << "folder: " << WideToMultiByte(installer.TargetFolder());
    CUpdateFailureBox box;
    if (box.ShowModal() == kCloseConfirm) OpenDownloadPage();
    return false;
}

void ZipDownloader::StartLauncher() const
{
    LOG(logging::Info) << "starting launcher: " << WideToMultiByte(config_.clientExePath);
    const std::wstring parameters = MultiByteToWide(config_.pagecallparam);
    ShellExecuteW(nullptr, L"open", config_.clientExePath.c_str(), parameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
}
