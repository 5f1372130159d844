#include "updater/windows/updater_wnd_win.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "updater/install/zip_downloader_win.h"
#include "updater/windows/failure_box_win.h"
#include "updater/windows/ui_language_win.h"
#include "updater/windows/window_texts.h"

namespace {
constexpr DWORD kStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_WINDOWEDGE;
constexpr DWORD kStopPollMs = 20;
}  // namespace

CUpdaterWnd::CUpdaterWnd() : openPage_(OpenWithShell)
{
    Create(nullptr, window_texts::kWindowTitle.In(CurrentUiLanguage()), kStyle, kExStyle);
    SetIcon(kIconGroupId);
}

CUpdaterWnd::~CUpdaterWnd()
{
    StopTimer(kProgressTimerId);
    StopJob();
    job_.reset();
}

void CUpdaterWnd::StopJob()
{
    if (!job_) return;
    {
        std::lock_guard<std::mutex> lock(pauseLock_);
        closing_.store(true);
    }
    pauseEnd_.notify_all();
    // The job's thread may be in the failure box, or sending this window its
    // last message: close the box, and take sent messages while waiting.
    while (!job_->Stopped()) {
        job_->RequestStop();
        if (HWND box = failureBox_.load()) PostMessageW(box, WM_CLOSE, kCloseCancel, 0);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kStopPollMs, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CUpdaterWnd::SetConfig(const UpdateConfig& config)
{
    config_ = config;
    auto job = std::make_shared<ZipDownloader>(config_);
    job->onRetry = [this](std::uint32_t attempt) { OnJobRetry(attempt); };
    job->onFailed = [this] { OnJobFailed(); };
    Watch(job, config_.forcedupdate != 0);
    job->Start();
}

void CUpdaterWnd::OnLayoutLoaded()
{
    tipsLabel_ = Require<ui::Label>(L"tipsLabel");
    closeButton_ = Require<ui::Control>(L"closeButton");
    skipButton_ = Require<ui::Control>(L"skipButton");
    buttonLayout_ = Require<ui::Control>(L"buttonLayout");
    progressLayout_ = Require<ui::Control>(L"progressLayout");
    downloadProgress_ = Require<ui::Progress>(L"downloadProgress");
}

void CUpdaterWnd::Watch(std::shared_ptr<UpdateJob> job, bool forced)
{
    forced_ = forced;
    if (forced_) skipButton_->SetVisible(false);
    job_ = std::move(job);
    StartTimer(kProgressTimerId, kProgressPeriodMs);
}

LRESULT CUpdaterWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_QUIT) {
        PostQuitMessage(0);
        return 1;
    }
    if (message == WM_TIMER && wParam == kProgressTimerId) ProgressTick();
    return CKmxWndBase::HandleMessage(message, wParam, lParam);
}

void CUpdaterWnd::ProgressTick()
{
    JobProgress progress;
    if (job_) progress = job_->Progress();
    UpdateProgress(ProgressPercentage(progress.bytesDone, progress.totalSize));
}

void CUpdaterWnd::UpdateProgress(int percentage)
{
    const UiLanguage language = CurrentUiLanguage();
    const int retries = retryCount_.load();
    if (retries == 1) {
        // Grows to the left: the right edge stays in the screen's corner.
        RECT r{};
        GetWindowRect(GetHWND(), &r);
        SetWindowPos(GetHWND(), nullptr, r.right - kWidthAfterRetry, r.top, kWidthAfterRetry,
                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    percentage = std::min(percentage, 100);
    const LocalizedText& text = forced_ ? window_texts::kDownloadingForced : window_texts::kDownloading;
    tipsLabel_->SetText(FormatProgressLine(text.In(language), percentage, retries, language));
    downloadProgress_->SetValue(percentage);

    if (!job_ || !job_->Succeeded()) return;
    StopTimer(kProgressTimerId);
    closeButton_->SetVisible(true);
    if (!forced_) {
        tipsLabel_->SetText(window_texts::kReadyToInstall.In(language));
        progressLayout_->SetVisible(false);
        buttonLayout_->SetVisible(true);
        return;
    }
    // The last look stays on screen while the thread pauses and installs.
    PaintNow();
    Sleep(kPauseBeforeForcedInstallMs);
    std::shared_ptr<UpdateJob> job = job_;
    job->DoInstall();
    PostQuitMessage(0);
}

void CUpdaterWnd::OnJobRetry(unsigned attempt)
{
    retryCount_.store(static_cast<int>(attempt));
    std::unique_lock<std::mutex> lock(pauseLock_);
    pauseEnd_.wait_for(lock, std::chrono::milliseconds(kPauseAfterRetryMs),
                       [this] { return closing_.load(); });
}

void CUpdaterWnd::OnJobFailed()
{
    int code = 0;
    {
        CUpdateFailureBox box;
        failureBox_.store(box.GetHWND());
        if (!closing_.load()) code = box.ShowModal();
        failureBox_.store(nullptr);
    }
    if (closing_.load()) return;
    if (code == kCloseConfirm && openPage_) openPage_(kDownloadPageUrl);
    SendMessageW(GetHWND(), WM_QUIT, 0, 0);
}

void CUpdaterWnd::OnNotify(const ui::Notification& notification)
{
    if (notification.type != ui::kNotifyClick) return;
    const std::wstring& name = notification.sender->Name();
    if (name == L"closeButton" || name == L"skipButton") {
        PostQuitMessage(0);
    } else if (name == L"installButton") {
        if (std::shared_ptr<UpdateJob> job = job_) job->DoInstall();
        PostQuitMessage(0);
    }
}
