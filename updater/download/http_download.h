// One download attempt of the update package: probe the size, fetch four
// byte ranges over four connections into segment files (continuing files an
// earlier run left), cut off a stalled transfer, merge, verify length and MD5
// digest, and rename the result to "update.zip".
//
// Staging files, all in one folder (the updater's own, unless given):
//   update.td0 .. update.td3  one per segment; kept until the merge has
//                             used them, so a later run can continue them
//   update.td                 the merged package before it is verified
//                             (update.td0 renamed, then the others appended,
//                             when update.td0 holds exactly its segment)
//   update.zip                the verified package
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

// The job's progress record, shared with the progress window. bytesDone and
// totalSize are read and written under CHttpDownload::progressLock.
struct DownloadState {
    std::filesystem::path downloadPath;  // "update.td"; set by each attempt
    std::string expectedMd5;             // hex digits, any case
    std::int64_t bytesDone = 0;          // resumed plus received bytes of this transfer
    std::int64_t totalSize = 0;          // from the probe
};

// The outcome of one attempt. Values are never reused.
enum DownloadResult : int {
    DownloadSucceeded = 1,         // verified; now "update.zip"
    DownloadProbeFailed = -1,      // no usable size (refused address, no answer, rejected, size 0)
    DownloadMergeOpenFailed = -2,  // "update.td" cannot be created
    DownloadSegmentMissing = -3,   // a segment file is missing, or the merge could not copy it
    DownloadLengthMismatch = -4,   // the last segment, or the merged file, is short
    DownloadDigestMismatch = -5,   // the digest differs (or a segment before the last is short)
    DownloadRedirected = -6,       // host and path now name the redirect's target
    DownloadRenameFailed = -7,     // the verified file could not become "update.zip"
    DownloadCancelled = -8,        // the downloader was destroyed during the attempt
};

struct DownloadTimings {
    std::chrono::milliseconds firstChunkWait{5000};  // the workers' first body bytes
    std::chrono::milliseconds stallWait{15000};      // then, between body chunks
    std::chrono::milliseconds probeWait{15000};      // without a byte of the probe's answer
};

struct DownloadOptions {
    std::filesystem::path folder;  // where the staging files go
    DownloadTimings timings;
};

class CHttpDownload {
public:
    CHttpDownload() = default;
    CHttpDownload(const CHttpDownload&) = delete;
    CHttpDownload& operator=(const CHttpDownload&) = delete;
    // Stops an attempt that is still running (it returns DownloadCancelled)
    // and leaves its segment files for a later run.
    ~CHttpDownload();

    // One attempt into the executable's folder. host and urlPath are
    // replaced when the probe is redirected. Only one attempt runs in a
    // process at a time.
    static int Download(std::string& host, std::string& urlPath, DownloadState& state);
    static int Download(std::string& host, std::string& urlPath, DownloadState& state,
                        const DownloadOptions& options);

    // The package's size (also stored in state.totalSize), 0 on failure, or
    // -302 after a redirect has replaced host and urlPath.
    static std::int64_t ProbeSize(std::string& host, std::string& urlPath, DownloadState& state,
                                  const DownloadOptions& options);

    // Stops the attempt running in this process, if any (it returns
    // DownloadCancelled); safe from any thread.
    static void CancelRunningAttempt();

    // Guards DownloadState::bytesDone and totalSize, and progressTicks.
    static std::mutex progressLock;
    // Body chunks written by the workers of the current attempt.
    static std::atomic<std::uint32_t> progressTicks;
};
