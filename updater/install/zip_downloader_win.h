// The update package job for a zip package: the downloader of the client's
// staging folder, and the install step the window asks for.
#pragma once

#include "updater/job/downloader.h"
#include "updater/update_config.h"

class ZipDownloader : public Downloader {
public:
    static constexpr unsigned kClientPollPauseMs = 500;
    static constexpr unsigned kClientWaitLimitMs = 60000;
    static constexpr unsigned kInstallRetryPauseMs = 2000;
    static constexpr unsigned kInstallLimitMs = 60000;
    static constexpr unsigned kPauseBeforeRelaunchMs = 300;

    explicit ZipDownloader(const UpdateConfig& config);

    // On the window's thread: waits for the client to end, extracts the
    // package when the update is forced, then shows the relaunch window and
    // starts the launcher.
    void DoInstall() override;

private:
    void WaitForClientToEnd() const;
    bool InstallPackage() const;
    void StartLauncher() const;

    const UpdateConfig config_;
};
