#include "updater/windows/updater_wnd_win.h"

#include <shellapi.h>

#include <algorithm>

#include "updater/windows/tips_box_wnd_win.h"
#include "updater/windows/ui_language_win.h"
#include "updater/windows/window_texts.h"

namespace {
constexpr DWORD kStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_WINDOWEDGE;
const wchar_t kDownloadPageUrl[] = L"https://www.tuvora.com/download";

void OpenWithShell(const wchar_t* url)
{
    ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW);
}
}  // namespace

CUpdaterWnd::CUpdaterWnd() : openPage_(OpenWithShell)
{
    Create(nullptr, window_texts::kWindowTitle.In(CurrentUiLanguage()), kStyle, kExStyle);
    SetIcon(kIconGroupId);
}

CUpdaterWnd::~CUpdaterWnd()
{
    StopTimer(kProgressTimerId);
    // The job goes first: while its thread ends it may still call back here.
    job_.reset();
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
    Sleep(kPauseAfterRetryMs);
}

void CUpdaterWnd::OnJobFailed()
{
    const UiLanguage language = CurrentUiLanguage();
    int code = 0;
    {
        CTipsBoxWnd box(nullptr, window_texts::kFailureBox.In(language), 2);
        box.ConfirmButton()->SetText(window_texts::kFailureButton.In(language));
        code = box.ShowModal();
    }
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
