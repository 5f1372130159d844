// The download half of the update package job: on a thread of its own,
// download attempts until the package is verified, at most ten counted
// failures (redirects are not counted, up to five in a row), telling the
// window about each failure and about giving up. Installing is left to the
// derived class.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "updater/download/http_download.h"
#include "updater/job/thread_base.h"
#include "updater/job/update_job.h"
#include "updater/update_config.h"

class Downloader : public ThreadBase, public UpdateJob {
public:
    static constexpr int kMaxFailures = 10;
    static constexpr int kMaxRedirectsInARow = 5;

    // options.folder holds the staging files ("update.zip" among them).
    // closeClient runs on the job's thread before the first attempt when
    // the update is forced; may be empty.
    Downloader(const UpdateConfig& config, DownloadOptions options, std::function<void()> closeClient);
    // Stops the thread and waits for it. The window stops the job itself
    // first when a callback may be waiting for the window's thread.
    ~Downloader() override;

    // Both are called on the job's thread; an empty one is skipped.
    // onRetry gets the number of the failed attempt, counted from 0.
    std::function<void(std::uint32_t attempt)> onRetry;
    std::function<void()> onFailed;

    JobProgress Progress() const override;
    bool Succeeded() const override { return succeeded_.load(); }
    void RequestStop() override;
    bool Stopped() const override { return !Running(); }

protected:
    void ThreadMain() override;

private:
    void StopAndJoin();
    bool StopRequested() const { return stopRequested_.load(); }
    void RemoveStalePackage() const;

    const std::string configuredHost_;
    const std::string configuredPath_;
    std::string host_;  // replaced by redirects; job's thread only
    std::string path_;
    std::atomic<bool> succeeded_{false};
    const bool closeClientFirst_;
    const DownloadOptions options_;
    const std::function<void()> closeClient_;
    DownloadState state_;
    std::shared_ptr<CHttpDownload> downloader_;  // its destruction stops a transfer
    std::atomic<bool> stopRequested_{false};
};
