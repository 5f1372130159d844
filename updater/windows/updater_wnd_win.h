// The progress window that an update run lives in: the download's progress
// once a second, retries in its text, then either the install button (not
// forced) or the installation at once (forced). Ends the run by posting the
// quit message.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "ui/label.h"
#include "ui/progress.h"
#include "updater/job/update_job.h"
#include "updater/update_config.h"
#include "updater/windows/kmx_wnd_base_win.h"

class CUpdaterWnd : public CKmxWndBase {
public:
    static constexpr UINT kProgressTimerId = 1121;
    static constexpr UINT kProgressPeriodMs = 1000;
    static constexpr int kWidthAfterRetry = 360;
    static constexpr DWORD kPauseBeforeForcedInstallMs = 1000;
    static constexpr DWORD kPauseAfterRetryMs = 2000;

    CUpdaterWnd();
    // Stops the job first, letting its callbacks reach this window
    // meanwhile: the failure box is closed, a running transfer is stopped.
    ~CUpdaterWnd() override;

    // Creates and starts the package job for config and shows its progress.
    void SetConfig(const UpdateConfig& config);

    // Shows job's progress: hides the skip button when forced and starts
    // the progress timer. The window becomes the job's owner. SetConfig
    // does this with the real job; tests give their own.
    void Watch(std::shared_ptr<UpdateJob> job, bool forced);

    // The job's callbacks, on the job's thread. attempt counts from 0.
    void OnJobRetry(unsigned attempt);
    void OnJobFailed();

    void UpdateProgress(int percentage);

    // How the failure box opens the download page; the shell by default.
    void SetPageOpener(std::function<void(const wchar_t* url)> opener) { openPage_ = std::move(opener); }

    const wchar_t* WindowClassName() const override { return L"kmx_updater_wnd_class_name"; }
    std::wstring SkinFile() const override { return L"UpdaterWnd.xml"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLayoutLoaded() override;
    void OnNotify(const ui::Notification& notification) override;

private:
    void ProgressTick();
    void StopJob();

    UpdateConfig config_;
    bool forced_ = false;
    std::atomic<int> retryCount_{0};  // written on the job's thread
    std::shared_ptr<UpdateJob> job_;
    std::function<void(const wchar_t* url)> openPage_;
    std::atomic<bool> closing_{false};
    std::mutex pauseLock_;  // the retry pause ends early when the window goes
    std::condition_variable pauseEnd_;
    std::atomic<HWND> failureBox_{nullptr};  // while OnJobFailed shows it
    ui::Label* tipsLabel_ = nullptr;
    ui::Control* closeButton_ = nullptr;
    ui::Control* skipButton_ = nullptr;
    ui::Control* buttonLayout_ = nullptr;
    ui::Control* progressLayout_ = nullptr;
    ui::Progress* downloadProgress_ = nullptr;
};
