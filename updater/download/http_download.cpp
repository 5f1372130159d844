#include "updater/download/http_download.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>

#include "log/log.h"
#include "updater/download/http_diagnostics.h"
#include "updater/download/http_exchange.h"
#include "updater/download/http_message.h"
#include "updater/download/md5.h"
#include "updater/download/staging_file.h"
#include "updater/platform.h"

std::mutex CHttpDownload::progressLock;
std::atomic<std::uint32_t> CHttpDownload::progressTicks{0};

namespace {

namespace fs = std::filesystem;

const int kSegmentCount = 4;
const std::size_t kMergeBlockSize = 1024 * 1024;
const std::size_t kHashBlockSize = 256 * 1024;
const std::int64_t kRedirected = -302;

// The digest of a segment file's bytes from its start, kept up to date as
// the worker writes, so the first segment need not be read again to hash it.
// Only the worker's thread touches it until the worker has been joined.
struct SegmentDigest {
    MD5_CTX context;
    std::int64_t hashed = 0;  // bytes of the file in `context`
    bool broken = false;      // the file could not be read; hash it again later

    // Whether `context` holds exactly the segment's `length` bytes.
    bool Covers(std::int64_t length) const { return !broken && hashed == length; }

    void Add(const char* data, std::size_t size)
    {
        if (broken) return;
        context.Update(reinterpret_cast<const unsigned char*>(data), size);
        hashed += static_cast<std::int64_t>(size);
    }
};

struct SegmentTask {
    std::string host;
    std::string path;
    std::int64_t start = 0;
    std::int64_t end = 0;   // one past the segment's last byte
    std::int64_t done = 0;  // bytes of the segment in its file
    fs::path fileName;
    DownloadState* state = nullptr;
    SegmentDigest* digest = nullptr;  // only for the first segment

    std::int64_t length() const { return end - start; }
};

// What other threads may do to a running attempt: stop its connections,
// wake its watchdog, cancel it altogether.
class Attempt {
public:
    boost::asio::io_context probeConnection;
    std::array<boost::asio::io_context, kSegmentCount> segmentConnections;

    void StopWorkers()
    {
        for (auto& connection : segmentConnections)
            connection.stop();
    }

    void Cancel()
    {
        cancelled_ = true;
        probeConnection.stop();
        StopWorkers();
        EndWatchdog();
    }
    bool cancelled() const { return cancelled_; }

    void EndWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(watchdogMutex_);
            watchdogEnded_ = true;
        }
        watchdogWake_.notify_all();
    }

    // Waits for `period` or until the watchdog is ended; true when ended.
    bool WatchdogSleep(std::chrono::milliseconds period)
    {
        std::unique_lock<std::mutex> lock(watchdogMutex_);
        return watchdogWake_.wait_for(lock, period, [this] { return watchdogEnded_; });
    }

private:
    std::atomic<bool> cancelled_{false};
    std::mutex watchdogMutex_;
    std::condition_variable watchdogWake_;
    bool watchdogEnded_ = false;
};

// The attempt running in this process, for the destructor to stop.
std::mutex runningAttemptLock;
Attempt* runningAttempt = nullptr;

class RunningAttemptRegistration {
public:
    explicit RunningAttemptRegistration(Attempt& attempt)
    {
        std::lock_guard<std::mutex> lock(runningAttemptLock);
        runningAttempt = &attempt;
    }
    ~RunningAttemptRegistration()
    {
        std::lock_guard<std::mutex> lock(runningAttemptLock);
        runningAttempt = nullptr;
    }
    RunningAttemptRegistration(const RunningAttemptRegistration&) = delete;
    RunningAttemptRegistration& operator=(const RunningAttemptRegistration&) = delete;
};

fs::path SegmentFileName(const fs::path& downloadPath, int index)
{
    fs::path name = downloadPath;
    name += std::to_string(index);
    return name;
}

std::int64_t ExistingFileSize(const fs::path& file)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

void RemoveFile(const fs::path& file)
{
    std::error_code ignored;
    fs::remove(file, ignored);
}

void CreditProgress(DownloadState& state, std::int64_t bytes, bool isChunk)
{
    std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
    state.bytesDone += bytes;
    if (isChunk) ++CHttpDownload::progressTicks;
}

void ResetProgress(DownloadState& state)
{
    std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
    state.bytesDone = 0;
}

// Appends a chunk to the task's file, opening it on first use. Flushed at
// once, so a killed process loses nothing it has credited.
bool WriteChunk(SegmentTask& task, StagingFile& stream, const char* data, std::size_t size)
{
    if (!stream) stream = OpenStagingFile(task.fileName, "ab");
    if (!stream) return false;
    if (std::fwrite(data, 1, size, stream.get()) != size || std::fflush(stream.get()) != 0) return false;
    task.done += static_cast<std::int64_t>(size);
    return true;
}

// Feeds the first `length` bytes of `file` to `digest`; false when they
// cannot all be read.
bool HashFileStart(const fs::path& file, std::int64_t length, SegmentDigest& digest)
{
    if (length == 0) return true;
    StagingFile input = OpenStagingFile(file, "rb");
    if (!input) return false;
    std::vector<char> block(kHashBlockSize);
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(length, block.size()));
        if (std::fread(block.data(), 1, want, input.get()) != want) return false;
        digest.Add(block.data(), want);
        length -= static_cast<std::int64_t>(want);
    }
    return true;
}

void SegmentWorker(SegmentTask& task, boost::asio::io_context& connection, const fs::path& mergedFile)
{
    if (task.length() <= 0) return;  // an empty segment is complete
    const std::int64_t resumed = ExistingFileSize(task.fileName);
    task.done = std::min(resumed, task.length());
    CreditProgress(*task.state, task.done, false);
    // What the file holds already comes first in the digest.
    if (task.digest && !HashFileStart(task.fileName, task.done, *task.digest)) task.digest->broken = true;
    if (task.done >= task.length()) return;  // nothing left to ask for

    const std::int64_t offset = task.start + resumed;
    const std::string request = BuildSegmentRequest(task.path, task.host, offset);
    ResponseHeadBuffer head;
    bool headSeen = false;
    std::int64_t toSkip = 0;
    StagingFile stream;

    const ChunkHandler onChunk = [&](const char* data, std::size_t size) {
        std::string headRest;
        if (!headSeen) {
            const std::optional<std::size_t> headEnd = head.Append(data, size);
            if (!headEnd) return !head.Overflowed();
            ResponseHeader header;
            if (!ParseResponseHeader(header, head.bytes(), *headEnd, mergedFile)) return false;
            headSeen = true;
            // A 200 answer is the whole resource, whatever range was asked.
            if (header.statusCode == 200) toSkip = offset;
            headRest.swap(head.bytes());
            data = headRest.data();
            size = headRest.size();
        }
        const std::size_t skipped = static_cast<std::size_t>(std::min<std::int64_t>(toSkip, size));
        toSkip -= skipped;
        data += skipped;
        size -= skipped;
        // Only the segment's share is kept; the range asked for is open-ended.
        size = static_cast<std::size_t>(std::min<std::int64_t>(size, task.length() - task.done));
        if (size == 0) return true;
        if (!WriteChunk(task, stream, data, size)) {
            WriteHttpDiagnostic(" exception = cannot write " + task.fileName.string() + "\n");
            return false;
        }
        if (task.digest) task.digest->Add(data, size);
        CreditProgress(*task.state, static_cast<std::int64_t>(size), true);
        return task.done < task.length();
    };

    const ExchangeOutcome outcome = RunHttpExchange(connection, task.host, request, onChunk);
    if (outcome.end == ExchangeEnd::Failed || outcome.end == ExchangeEnd::Stopped) {
        WriteHttpDiagnostic("Exception: " + outcome.error.message() + "\n");
    }
}

void RunSegmentWorker(SegmentTask& task, boost::asio::io_context& connection, const fs::path& mergedFile)
{
    // Nothing thrown may leave the thread.
    try {
        SegmentWorker(task, connection, mergedFile);
    } catch (const std::exception& error) {
        WriteHttpDiagnostic(std::string("Exception: ") + error.what() + "\n");
    } catch (...) {
        WriteHttpDiagnostic("Exception: unknown\n");
    }
}

// Cuts the transfer off when its first body bytes do not arrive in time, or
// when later no chunk arrives for a whole stall period.
void StallWatchdog(Attempt& attempt, const DownloadTimings& timings)
{
    const auto slice = std::chrono::milliseconds(100);
    const auto firstChunkDeadline = std::chrono::steady_clock::now() + timings.firstChunkWait;
    while (CHttpDownload::progressTicks == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            firstChunkDeadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            attempt.StopWorkers();
            return;
        }
        if (attempt.WatchdogSleep(std::min(left, slice))) return;
    }
    for (;;) {
        const std::uint32_t seen = CHttpDownload::progressTicks;
        if (attempt.WatchdogSleep(timings.stallWait)) return;
        if (CHttpDownload::progressTicks == seen) {
            attempt.StopWorkers();
            return;
        }
    }
}

// Hashes blocks on a second thread while the merge reads and writes the
// next one. Two buffers: the one being hashed and the one being filled.
// Continues `digest`, which may hold the start of the package already. One
// thread for the whole merge: starting a thread per block costs more than
// hashing the block under Wine.
class OverlappedDigest {
public:
    OverlappedDigest(MD5_CTX& digest, std::size_t blockSize)
        : digest_(digest),
          blocks_{std::vector<unsigned char>(blockSize), std::vector<unsigned char>(blockSize)},
          hasher_([this] { HashSubmittedBlocks(); })
    {
    }
    ~OverlappedDigest()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        wake_.notify_all();
        hasher_.join();
    }
    OverlappedDigest(const OverlappedDigest&) = delete;
    OverlappedDigest& operator=(const OverlappedDigest&) = delete;

    // The buffer to fill next; the hash of its previous contents has ended.
    std::vector<unsigned char>& NextBlock() { return blocks_[next_]; }

    // Hashes the first `size` bytes of the block NextBlock() returned.
    void Submit(std::size_t size)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return !submitted_; });
        submitted_ = true;
        submittedBlock_ = next_;
        submittedSize_ = size;
        next_ ^= 1;
        lock.unlock();
        wake_.notify_all();
    }

    void Final(char* hexOut)
    {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return !submitted_; });
        }
        unsigned char bytes[MD5_CTX::kDigestSize];
        digest_.Final(bytes);
        DigestToHex(bytes, hexOut);
    }

private:
    void HashSubmittedBlocks()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return submitted_ || ending_; });
            if (!submitted_) return;
            const unsigned char* data = blocks_[submittedBlock_].data();
            const std::size_t size = submittedSize_;
            lock.unlock();
            digest_.Update(data, size);
            lock.lock();
            submitted_ = false;
            wake_.notify_all();
        }
    }

    MD5_CTX& digest_;
    std::vector<unsigned char> blocks_[2];
    int next_ = 0;  // merge thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    bool submitted_ = false;  // a block waits for, or is in, the hash
    int submittedBlock_ = 0;
    std::size_t submittedSize_ = 0;
    bool ending_ = false;
    std::thread hasher_;  // last: starts once the rest is ready
};

// Copies the first `length` bytes of `source` to `output` (unless it is
// null) and, unless `hash` is false, into the digest. False when the file
// cannot be read that far or the output fails.
bool AppendSegment(const fs::path& source, std::int64_t length, std::FILE* output, bool hash,
                   OverlappedDigest& digest)
{
    if (length == 0) return true;
    StagingFile input = OpenStagingFile(source, "rb");
    if (!input) return false;
    while (length > 0) {
        std::vector<unsigned char>& block = digest.NextBlock();
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(length, block.size()));
        const std::size_t got = std::fread(block.data(), 1, want, input.get());
        if (got != want) return false;
        if (output && std::fwrite(block.data(), 1, got, output) != got) return false;
        if (hash) digest.Submit(got);
        length -= static_cast<std::int64_t>(got);
    }
    return true;
}

std::array<SegmentTask, kSegmentCount> PlanSegments(const std::string& host, const std::string& path,
                                                    std::int64_t size, DownloadState& state)
{
    std::array<SegmentTask, kSegmentCount> tasks;
    const std::int64_t share = size / kSegmentCount;
    for (int i = 0; i < kSegmentCount; ++i) {
        SegmentTask& task = tasks[i];
        task.host = host;
        task.path = path;
        task.start = i * share;
        task.end = i == kSegmentCount - 1 ? size : task.start + share;
        task.fileName = SegmentFileName(state.downloadPath, i);
        task.state = &state;
    }
    return tasks;
}

void TransferSegments(std::array<SegmentTask, kSegmentCount>& tasks, Attempt& attempt,
                      const DownloadOptions& options, const fs::path& mergedFile)
{
    CHttpDownload::progressTicks = 0;
    std::array<std::thread, kSegmentCount> workers;
    for (int i = 0; i < kSegmentCount; ++i) {
        try {
            workers[i] = std::thread(RunSegmentWorker, std::ref(tasks[i]),
                                     std::ref(attempt.segmentConnections[i]), std::cref(mergedFile));
        } catch (const std::system_error& error) {
            // Its segment stays incomplete, and the attempt fails on it.
            WriteHttpDiagnostic(std::string("Exception: ") + error.what() + "\n");
        }
    }
    std::thread watchdog;
    try {
        watchdog = std::thread(StallWatchdog, std::ref(attempt), std::cref(options.timings));
    } catch (const std::system_error& error) {
        WriteHttpDiagnostic(std::string("Exception: ") + error.what() + "\n");
    }
    for (auto& worker : workers) {
        if (worker.joinable()) worker.join();
    }
    attempt.EndWatchdog();
    if (watchdog.joinable()) watchdog.join();
    CHttpDownload::progressTicks = 0;
}

// Whether every segment is whole; otherwise the result that names what is
// missing: a segment without a file, a short last segment, or a gap before it.
int CheckSegmentsComplete(const std::array<SegmentTask, kSegmentCount>& tasks)
{
    int result = DownloadSucceeded;
    for (int i = 0; i < kSegmentCount; ++i) {
        const SegmentTask& task = tasks[i];
        if (task.length() == 0) continue;
        std::error_code error;
        const std::uintmax_t size = fs::file_size(task.fileName, error);
        if (error) return DownloadSegmentMissing;
        if (static_cast<std::int64_t>(size) >= task.length()) continue;
        if (i == kSegmentCount - 1) {
            result = DownloadLengthMismatch;
        } else if (result == DownloadSucceeded) {
            result = DownloadDigestMismatch;
        }
    }
    return result;
}

enum class Adoption { Adopted, NotPossible, Failed };

// Makes the first segment's file the merged file, when it holds exactly the
// segment, and opens it to append the others: no copy of the first quarter.
// NotPossible leaves everything as it was; Failed means the merged file
// cannot be opened (the segment file is put back if it can be).
Adoption AdoptFirstSegment(const SegmentTask& first, const fs::path& merged, StagingFile& output)
{
    if (first.length() == 0 || ExistingFileSize(first.fileName) != first.length()) {
        return Adoption::NotPossible;
    }
    std::error_code error;
    fs::rename(first.fileName, merged, error);
    std::error_code ignored;
    if (error && fs::is_regular_file(merged, ignored)) {
        // A merged file left by an earlier attempt would be overwritten anyway.
        RemoveFile(merged);
        fs::rename(first.fileName, merged, error);
    }
    if (error) return Adoption::NotPossible;
    output = OpenStagingFile(merged, "ab");
    if (output) return Adoption::Adopted;
    fs::rename(merged, first.fileName, error);
    return Adoption::Failed;
}

// After a failed merge: the first segment's file again, if the merged file
// began as that file, and no merged file.
void RestoreFirstSegment(const SegmentTask& first, const fs::path& merged, bool adopted)
{
    if (adopted) {
        std::error_code error;
        fs::resize_file(merged, static_cast<std::uintmax_t>(first.length()), error);
        if (!error) fs::rename(merged, first.fileName, error);
    }
    RemoveFile(merged);
}

int MergeAndVerify(const std::array<SegmentTask, kSegmentCount>& tasks, std::int64_t size,
                   DownloadState& state, const fs::path& folder, SegmentDigest& firstDigest)
{
    const fs::path& merged = state.downloadPath;
    char digestHex[MD5_CTX::kHexSize + 1] = {};
    {
        StagingFile output;
        const Adoption adoption = AdoptFirstSegment(tasks[0], merged, output);
        if (adoption == Adoption::Failed) return DownloadMergeOpenFailed;
        const bool adopted = adoption == Adoption::Adopted;
        if (!adopted) output = OpenStagingFile(merged, "wb");
        if (!output) return DownloadMergeOpenFailed;
        // The first segment was hashed as it arrived, unless something
        // went wrong there; then it is hashed from its file like the rest.
        const bool firstHashed = firstDigest.Covers(tasks[0].length());
        MD5_CTX fresh;
        OverlappedDigest digest(firstHashed ? firstDigest.context : fresh, kMergeBlockSize);
        bool copied = true;
        for (int i = 0; i < kSegmentCount; ++i) {
            const SegmentTask& task = tasks[i];
            const bool first = i == 0;
            if (first && adopted && firstHashed) continue;
            // An adopted first segment is read back from the merged file.
            const fs::path& source = first && adopted ? merged : task.fileName;
            std::FILE* target = first && adopted ? nullptr : output.get();
            if (!AppendSegment(source, task.length(), target, !first || !firstHashed, digest)) {
                copied = false;
                break;
            }
        }
        if (std::fclose(output.release()) != 0) copied = false;
        if (!copied) {
            RestoreFirstSegment(tasks[0], merged, adopted);
            return DownloadSegmentMissing;
        }
        digest.Final(digestHex);
    }
    // The segment files are used up now: whatever the checks say, their
    // bytes are in the merged file.
    for (const SegmentTask& task : tasks)
        RemoveFile(task.fileName);

    if (ExistingFileSize(merged) != size) {
        RemoveFile(merged);
        ResetProgress(state);
        return DownloadLengthMismatch;
    }
    if (!DigestMatches(digestHex, state.expectedMd5)) {
        RemoveFile(merged);
        ResetProgress(state);
        return DownloadDigestMismatch;
    }
    const fs::path package = folder / "update.zip";
    std::error_code error;
    fs::remove(package, error);
    fs::rename(merged, package, error);
    if (error) {
        LOG(logging::Error) << "the verified package could not be renamed to update.zip: " << error.message();
        return DownloadRenameFailed;
    }
    return DownloadSucceeded;
}

std::int64_t Probe(std::string& host, std::string& urlPath, DownloadState& state,
                   const DownloadOptions& options, boost::asio::io_context& connection)
{
    auto fail = [&state] {
        std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
        state.totalSize = 0;
        return std::int64_t{0};
    };
    if (host.empty()) {
        LOG(logging::Error) << "the package address names no server: " << urlPath;
        return fail();
    }
    if (StartsWithNoCase(host, "https:")) {
        LOG(logging::Error) << "https is not supported, only http: " << host << urlPath;
        return fail();
    }

    ResponseHeadBuffer head;
    std::optional<std::size_t> headEnd;
    const ChunkHandler onChunk = [&](const char* data, std::size_t size) {
        headEnd = head.Append(data, size);
        return !headEnd && !head.Overflowed();
    };
    const ExchangeOutcome outcome = RunHttpExchange(connection, host, BuildProbeRequest(urlPath, host),
                                                    onChunk, options.timings.probeWait);
    if (!headEnd) {
        if (outcome.error) WriteHttpDiagnostic(" exception = " + outcome.error.message() + "\n");
        return fail();
    }

    ResponseHeader header;
    if (ParseResponseHeader(header, head.bytes(), *headEnd, state.downloadPath)) {
        std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
        state.totalSize = header.totalSize;
        return header.totalSize;
    }
    if (header.statusCode >= 300 && header.statusCode <= 399 &&
        ParseLocation(header.location, host, urlPath)) {
        return kRedirected;
    }
    return fail();
}

}  // namespace

CHttpDownload::~CHttpDownload()
{
    CancelRunningAttempt();
}

void CHttpDownload::CancelRunningAttempt()
{
    std::lock_guard<std::mutex> lock(runningAttemptLock);
    if (runningAttempt) runningAttempt->Cancel();
}

int CHttpDownload::Download(std::string& host, std::string& urlPath, DownloadState& state)
{
    DownloadOptions options;
    options.folder = fs::path(GetModuleDir());
    return Download(host, urlPath, state, options);
}

std::int64_t CHttpDownload::ProbeSize(std::string& host, std::string& urlPath, DownloadState& state,
                                      const DownloadOptions& options)
{
    boost::asio::io_context connection;
    return Probe(host, urlPath, state, options, connection);
}

int CHttpDownload::Download(std::string& host, std::string& urlPath, DownloadState& state,
                            const DownloadOptions& options)
{
    state.downloadPath = options.folder / "update.td";
    Attempt attempt;
    RunningAttemptRegistration registration(attempt);

    const std::int64_t size = Probe(host, urlPath, state, options, attempt.probeConnection);
    if (attempt.cancelled()) return DownloadCancelled;
    if (size == kRedirected) return DownloadRedirected;
    if (size <= 0) return DownloadProbeFailed;

    std::array<SegmentTask, kSegmentCount> tasks = PlanSegments(host, urlPath, size, state);
    SegmentDigest firstDigest;
    tasks[0].digest = &firstDigest;
    ResetProgress(state);  // the workers credit what their files hold
    TransferSegments(tasks, attempt, options, state.downloadPath);
    if (attempt.cancelled()) return DownloadCancelled;

    // Incomplete segment files are kept for the next attempt or run.
    const int complete = CheckSegmentsComplete(tasks);
    if (complete != DownloadSucceeded) {
        if (complete != DownloadSegmentMissing) ResetProgress(state);
        return complete;
    }
    return MergeAndVerify(tasks, size, state, options.folder, firstDigest);
}
