#include "updater/job/downloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "log/debug_output_capture.h"
#include "tests/http_server/test_http_server.h"
#include "tests/unit/download/download_test_support.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// The job without an install step, staging into a folder of the test.
class TestJob : public Downloader {
public:
    TestJob(const UpdateConfig& config, const DownloadOptions& options, std::function<void()> closeClient)
        : Downloader(config, options, std::move(closeClient))
    {
    }
    void DoInstall() override {}
};

// What the job told the window, recorded on the job's thread.
class Calls {
public:
    void Retry(std::uint32_t attempt)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        retries_.push_back(attempt);
    }
    void Failed()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++failed_;
    }
    std::vector<std::uint32_t> retries() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return retries_;
    }
    int failed() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return failed_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::uint32_t> retries_;
    int failed_ = 0;
};

std::string RequestPath(const std::string& request)
{
    const auto start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

class DownloaderTest : public testing::Test {
protected:
    DownloaderTest()
    {
        options.folder = folder.path();
        options.timings.firstChunkWait = milliseconds(1000);
        options.timings.stallWait = milliseconds(1000);
        options.timings.probeWait = milliseconds(1000);
        logging::TakeDebugOutput();
    }

    // A job for the package `body` at server's `path`, its callbacks recorded.
    std::unique_ptr<TestJob> MakeJob(const TestHttpServer& server, const std::string& body,
                                     const std::string& path = "/pkg/update.zip", int forcedupdate = 0,
                                     std::function<void()> closeClient = nullptr)
    {
        UpdateConfig config;
        config.host = server.host();
        config.urlPath = path;
        config.zipMd5 = Md5Of(body);
        config.forcedupdate = forcedupdate;
        auto job = std::make_unique<TestJob>(config, options, std::move(closeClient));
        job->onRetry = [this](std::uint32_t attempt) { calls.Retry(attempt); };
        job->onFailed = [this] { calls.Failed(); };
        return job;
    }

    static bool Ends(const TestJob& job)
    {
        return WaitUntil([&] { return job.Stopped(); }, milliseconds(20000));
    }

    static std::string Logged()
    {
        std::string all;
        for (const std::string& line : logging::TakeDebugOutput())
            all += line;
        return all;
    }

    StagingFolder folder;
    DownloadOptions options;
    Calls calls;
    const std::string body = PatternBody(200000);
};

TEST_F(DownloaderTest, TenFailedAttemptsAreReportedInOrderThenTheJobGivesUpOnce)
{
    ServerOptions notFound;
    notFound.fault = ServerFault::NotFound;
    TestHttpServer server(body, notFound);
    auto job = MakeJob(server, body);
    job->Start();
    ASSERT_TRUE(Ends(*job));

    EXPECT_EQ(calls.retries(), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(calls.failed(), 1);
    EXPECT_FALSE(job->Succeeded());
    EXPECT_EQ(server.requests().size(), 10u);
    const std::string log = Logged();
    EXPECT_NE(log.find("download attempt failed with result -1 (10 of 10)"), std::string::npos) << log;
    EXPECT_NE(log.find("download failed 10 times, giving up"), std::string::npos) << log;
}

TEST_F(DownloaderTest, SucceedsOnTheThirdAttemptAfterTwoReportedFailures)
{
    ServerOptions firstTwoFail;
    firstTwoFail.fault = ServerFault::NotFound;
    firstTwoFail.faultToRequest = 2;
    TestHttpServer server(body, firstTwoFail);
    WriteWholeFile(folder / "update.zip", "the package of an earlier update");
    auto job = MakeJob(server, body);
    job->Start();
    job->Start();  // a second call starts nothing
    ASSERT_TRUE(Ends(*job));

    EXPECT_EQ(calls.retries(), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(calls.failed(), 0);
    EXPECT_TRUE(job->Succeeded());
    EXPECT_EQ(ReadWholeFile(folder / "update.zip"), body);
    EXPECT_EQ(job->Progress().bytesDone, static_cast<std::int64_t>(body.size()));
    EXPECT_EQ(job->Progress().totalSize, static_cast<std::int64_t>(body.size()));
    EXPECT_NE(Logged().find("package downloaded and verified"), std::string::npos);
}

TEST_F(DownloaderTest, ARedirectIsFollowedWithoutCountingAFailure)
{
    ServerOptions moved;
    moved.fault = ServerFault::Redirect;
    moved.faultPath = "/old/update.zip";
    moved.location = "/new/update.zip";
    TestHttpServer server(body, moved);
    auto job = MakeJob(server, body, "/old/update.zip");
    job->Start();
    ASSERT_TRUE(Ends(*job));

    EXPECT_TRUE(job->Succeeded());
    EXPECT_TRUE(calls.retries().empty());
    EXPECT_NE(Logged().find("redirected to " + server.host() + "/new/update.zip"), std::string::npos);
}

TEST_F(DownloaderTest, ARedirectChainCountsAsAFailureAfterFiveAndStartsOverFromTheGivenAddress)
{
    ServerOptions loop;
    loop.fault = ServerFault::Redirect;
    loop.location = "/elsewhere/update.zip";
    TestHttpServer server(body, loop);
    auto job = MakeJob(server, body, "/given/update.zip");
    TestJob* running = job.get();
    job->onRetry = [&](std::uint32_t attempt) {
        calls.Retry(attempt);
        if (attempt == 1) running->RequestStop();
    };
    job->Start();
    ASSERT_TRUE(Ends(*job));

    // Each counted failure: the given address and five redirects.
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 12u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(RequestPath(requests[i]), i % 6 == 0 ? "/given/update.zip" : "/elsewhere/update.zip") << i;
    }
    EXPECT_EQ(calls.retries(), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(calls.failed(), 0);  // stopped: no callback after the stop
    EXPECT_NE(Logged().find("too many redirects in a row"), std::string::npos);
}

TEST_F(DownloaderTest, AForcedJobClosesTheClientBeforeItsFirstRequestAndRemovesTheOldPackage)
{
    TestHttpServer server(body);
    WriteWholeFile(folder / "update.zip", "old");
    struct Seen {
        std::size_t requests = 99;
        bool oldPackage = true;
    } seen;
    int closes = 0;
    auto job = MakeJob(server, body, "/pkg/update.zip", 2, [&] {
        ++closes;
        seen.requests = server.requests().size();
        seen.oldPackage = std::filesystem::exists(folder / "update.zip");
    });
    job->Start();
    ASSERT_TRUE(Ends(*job));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(seen.requests, 0u);
    EXPECT_FALSE(seen.oldPackage);
    EXPECT_TRUE(job->Succeeded());

    // Not forced: the client is left alone.
    StagingFolder otherFolder;
    options.folder = otherFolder.path();
    auto optional = MakeJob(server, body, "/pkg/update.zip", 0, [&] { ++closes; });
    optional->Start();
    ASSERT_TRUE(Ends(*optional));
    EXPECT_EQ(closes, 1);
}

TEST_F(DownloaderTest, DestroyingTheJobStopsATransferPromptlyAndKeepsItsSegmentFiles)
{
    ServerOptions slow;
    slow.fault = ServerFault::SlowDrip;
    slow.faultFromRequest = 2;  // the probe answers at once
    slow.dripBytes = 256;
    slow.dripInterval = milliseconds(20);
    TestHttpServer server(body, slow);
    auto job = MakeJob(server, body);
    job->Start();
    ASSERT_TRUE(WaitUntil([&] { return job->Progress().bytesDone > 0; }, milliseconds(5000)));

    const Clock::time_point start = Clock::now();
    job.reset();
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
    EXPECT_TRUE(calls.retries().empty());
    EXPECT_EQ(calls.failed(), 0);
    std::uintmax_t kept = 0;
    for (const char* segment : {"update.td0", "update.td1", "update.td2", "update.td3"}) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(folder / segment, error);
        if (!error) kept += size;
    }
    EXPECT_GT(kept, 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / "update.td"));
    EXPECT_FALSE(std::filesystem::exists(folder / "update.zip"));
    EXPECT_TRUE(WaitUntil([&] { return server.openConnections() == 0; }, milliseconds(3000)));
}

}  // namespace
