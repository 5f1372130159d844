#include "updater/job/downloader.h"

#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "log/log.h"

namespace fs = std::filesystem;

Downloader::Downloader(const UpdateConfig& config, DownloadOptions options, std::function<void()> closeClient)
    : configuredHost_(config.host),
      configuredPath_(config.urlPath),
      host_(config.host),
      path_(config.urlPath),
      closeClientFirst_(config.forcedupdate != 0),
      options_(std::move(options)),
      closeClient_(std::move(closeClient)),
      downloader_(std::make_shared<CHttpDownload>())
{
    state_.expectedMd5 = config.zipMd5;
}

Downloader::~Downloader()
{
    StopAndJoin();
}

void Downloader::StopAndJoin()
{
    // An attempt that starts just after a cancellation is cancelled by the
    // next round; the thread checks the stop flag between attempts.
    RequestStop();
    while (Running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        CHttpDownload::CancelRunningAttempt();
    }
    Join();
}

void Downloader::RequestStop()
{
    stopRequested_.store(true);
    CHttpDownload::CancelRunningAttempt();
}

JobProgress Downloader::Progress() const
{
    std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
    return JobProgress{state_.bytesDone, state_.totalSize};
}

void Downloader::RemoveStalePackage() const
{
    std::error_code error;
    fs::remove(options_.folder / "update.zip", error);
}

void Downloader::ThreadMain()
{
    RemoveStalePackage();
    if (closeClientFirst_ && closeClient_) closeClient_();

    int failures = 0;
    int redirectsInARow = 0;
    while (!StopRequested()) {
        const int result = CHttpDownload::Download(host_, path_, state_, options_);
        if (StopRequested()) return;
        if (result >= 0) {
            LOG(logging::Info) << "package downloaded and verified";
            succeeded_.store(true);
            return;
        }
        if (result == DownloadRedirected) {
            if (++redirectsInARow <= kMaxRedirectsInARow) {
                LOG(logging::Info) << "redirected to " << host_ << path_;
                continue;
            }
            // A chain that goes on is a failed attempt; the next one starts
            // again from the address the update was given.
            LOG(logging::Error) << "too many redirects in a row";
            host_ = configuredHost_;
            path_ = configuredPath_;
        }
        redirectsInARow = 0;
        LOG(logging::Warn) << "download attempt failed with result " << result << " (" << failures + 1
                           << " of " << kMaxFailures << ")";
        if (onRetry) onRetry(static_cast<std::uint32_t>(failures));
        if (++failures >= kMaxFailures) break;
    }
    if (StopRequested()) return;
    LOG(logging::Error) << "download failed " << kMaxFailures << " times, giving up";
    if (onFailed) onFailed();
}
