#include "updater/download/http_download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "log/debug_output_capture.h"
#include "tests/http_server/test_http_server.h"
#include "tests/unit/download/download_test_support.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class DownloadTest : public testing::Test {
protected:
    DownloadTest()
    {
        options.folder = folder.path();
        options.timings.firstChunkWait = milliseconds(1000);
        options.timings.stallWait = milliseconds(1000);
        options.timings.probeWait = milliseconds(1000);
    }

    int Download(TestHttpServer& server, const std::string& body,
                 const std::string& urlPath = "/pkg/update.zip")
    {
        host = server.host();
        path = urlPath;
        state.expectedMd5 = Md5Of(body);
        return DownloadAgain();
    }

    int DownloadAgain()
    {
        testing::internal::CaptureStdout();
        const Clock::time_point start = Clock::now();
        const int result = CHttpDownload::Download(host, path, state, options);
        elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        printed = testing::internal::GetCapturedStdout();
        return result;
    }

    std::vector<std::string> StagingFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The offsets the segment requests asked for, in ascending order (the
    // probe's request, the first, is left out).
    static std::vector<long long> SegmentStarts(const TestHttpServer& server)
    {
        std::vector<long long> starts;
        const std::vector<std::string> requests = server.requests();
        for (std::size_t i = 1; i < requests.size(); ++i) {
            const std::size_t at = requests[i].find("\r\nRange: bytes=");
            starts.push_back(at == std::string::npos ? -1 : std::atoll(requests[i].c_str() + at + 15));
        }
        std::sort(starts.begin(), starts.end());
        return starts;
    }

    static void ExpectConnectionsClosed(const TestHttpServer& server)
    {
        EXPECT_TRUE(WaitUntil([&] { return server.openConnections() == 0; }, milliseconds(3000)))
            << server.openConnections() << " connections left open";
    }

    // Writes the part of `body` that a segment file holding `size` bytes of
    // the segment starting at `start` has.
    void Resumed(int index, const std::string& body, std::size_t start, std::size_t size)
    {
        WriteWholeFile(folder / ("update.td" + std::to_string(index)), body.substr(start, size));
    }

    StagingFolder folder;
    DownloadOptions options;
    DownloadState state;
    std::string host;
    std::string path;
    milliseconds elapsed{0};
    std::string printed;
};

const std::vector<std::string> kAllSegmentFiles = {"update.td0", "update.td1", "update.td2", "update.td3"};
const std::vector<std::string> kPackageOnly = {"update.zip"};
const std::vector<std::string> kNothing = {};

TEST_F(DownloadTest, FourSegmentsOfAnySizeMakeTheVerifiedPackage)
{
    struct Case {
        std::size_t size;
        std::vector<long long> starts;
    };
    const Case cases[] = {
        {10, {0, 2, 4, 6}},
        {1001, {0, 250, 500, 750}},
        {3, {0}},  // three empty segments need no request
        {1, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        StagingFolder own;
        options.folder = own.path();
        const std::string body = PatternBody(c.size);
        TestHttpServer server(body);
        ASSERT_EQ(Download(server, body), DownloadSucceeded) << printed;
        EXPECT_EQ(ReadWholeFile(own / "update.zip"), body);
        EXPECT_EQ(state.downloadPath, own / "update.td");
        EXPECT_EQ(state.totalSize, static_cast<std::int64_t>(c.size));
        EXPECT_EQ(state.bytesDone, static_cast<std::int64_t>(c.size));
        EXPECT_EQ(SegmentStarts(server), c.starts);
        EXPECT_EQ(
            server.requests().at(0).find("GET /pkg/update.zip HTTP/1.1\r\nHost: " + server.host() + "\r\n"),
            0u);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(own.path()), {}), 1);
        ExpectConnectionsClosed(server);
    }
}

TEST_F(DownloadTest, ResumesSegmentFilesAndKeepsThemWhenCutOff)
{
    const std::string body = PatternBody(1000000);
    Resumed(0, body, 0, 100);
    Resumed(1, body, 250000, 300);
    Resumed(2, body, 500000, 200);
    Resumed(3, body, 750000, 50);
    {
        // The workers get no answer: the resumed bytes are all that is credited.
        ServerOptions silentSegments;
        silentSegments.fault = ServerFault::Silent;
        silentSegments.faultFromRequest = 2;
        TestHttpServer server(body, silentSegments);
        state.bytesDone = 12345;  // left from an earlier attempt
        std::future<int> result = std::async(std::launch::async, [&] { return Download(server, body); });
        EXPECT_TRUE(WaitUntil(
            [&] {
                std::lock_guard<std::mutex> lock(CHttpDownload::progressLock);
                return state.bytesDone == 650;
            },
            milliseconds(3000)));
        EXPECT_EQ(result.get(), DownloadLengthMismatch);
        EXPECT_EQ(SegmentStarts(server), (std::vector<long long>{100, 250300, 500200, 750050}));
        EXPECT_NE(server.requests().at(2).find("\r\nRange: bytes="), std::string::npos);
        ExpectConnectionsClosed(server);
    }
    EXPECT_EQ(StagingFiles(), kAllSegmentFiles);
    EXPECT_EQ(ReadWholeFile(folder / "update.td1"), body.substr(250000, 300));

    TestHttpServer server(body);
    ASSERT_EQ(DownloadAgain(), DownloadProbeFailed);  // the old server is gone
    host = server.host();
    ASSERT_EQ(DownloadAgain(), DownloadSucceeded) << printed;
    EXPECT_EQ(ReadWholeFile(folder / "update.zip"), body);
    EXPECT_EQ(state.bytesDone, 1000000);
    EXPECT_EQ(StagingFiles(), kPackageOnly);
}

TEST_F(DownloadTest, ACompleteSegmentFileIsNotAskedForAgain)
{
    const std::string body = PatternBody(4000);
    WriteWholeFile(folder / "update.td3", body.substr(3000) + "surplus bytes past the segment");
    TestHttpServer server(body);
    ASSERT_EQ(Download(server, body), DownloadSucceeded) << printed;
    EXPECT_EQ(SegmentStarts(server), (std::vector<long long>{0, 1000, 2000}));
    EXPECT_EQ(ReadWholeFile(folder / "update.zip"), body);
    EXPECT_EQ(state.bytesDone, 4000);
}

// The first segment is hashed as it arrives, after what its file held.
TEST_F(DownloadTest, TheFirstSegmentIsHashedFromWhatItsFileHoldsAndThenReceives)
{
    const std::string body = PatternBody(4000);
    struct Case {
        const char* name;
        std::string firstFile;
        ServerFault fault;
        int result;
    };
    const Case cases[] = {
        {"complete", body.substr(0, 1000), ServerFault::None, DownloadSucceeded},
        {"complete with surplus bytes", body.substr(0, 1000) + "surplus", ServerFault::None,
         DownloadSucceeded},
        {"resumed", body.substr(0, 100), ServerFault::None, DownloadSucceeded},
        {"resumed, whole body answered", body.substr(0, 100), ServerFault::IgnoreRange, DownloadSucceeded},
        {"resumed from wrong bytes", std::string(100, 'x'), ServerFault::None, DownloadDigestMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StagingFolder own;
        options.folder = own.path();
        WriteWholeFile(own / "update.td0", c.firstFile);
        ServerOptions serverOptions;
        serverOptions.fault = c.fault;
        TestHttpServer server(body, serverOptions);
        ASSERT_EQ(Download(server, body), c.result) << printed;
        if (c.result == DownloadSucceeded) {
            EXPECT_EQ(ReadWholeFile(own / "update.zip"), body);
            EXPECT_EQ(state.bytesDone, 4000);
        }
        EXPECT_EQ(SegmentStarts(server).front(), c.firstFile.size() >= 1000 ? 1000 : 100);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(own.path()), {}),
                  c.result == DownloadSucceeded ? 1 : 0);
    }
}

TEST_F(DownloadTest, EveryServerFaultEndsInItsResultWithinTheWatchdogsBounds)
{
    struct Case {
        const char* name;
        ServerFault fault;
        int fromRequest;  // 1: the probe too; 2: only the segment requests
        int result;
        std::vector<std::string> filesLeft;
    };
    const Case cases[] = {
        {"range ignored, whole body skipped to each start", ServerFault::IgnoreRange, 1, DownloadSucceeded,
         kPackageOnly},
        {"slow but steady", ServerFault::SlowDrip, 2, DownloadSucceeded, kPackageOnly},
        {"probe 404", ServerFault::NotFound, 1, DownloadProbeFailed, kNothing},
        {"probe 416", ServerFault::RangeNotSatisfiable, 1, DownloadProbeFailed, kNothing},
        {"probe not HTTP", ServerFault::NotHttp, 1, DownloadProbeFailed, kNothing},
        {"probe without head", ServerFault::NoHead, 1, DownloadProbeFailed, kNothing},
        {"probe never answered", ServerFault::Silent, 1, DownloadProbeFailed, kNothing},
        {"probe without length", ServerFault::NoLength, 1, DownloadProbeFailed, kNothing},
        {"segments 404", ServerFault::NotFound, 2, DownloadSegmentMissing, kNothing},
        {"segments not HTTP", ServerFault::NotHttp, 2, DownloadSegmentMissing, kNothing},
        {"segments never answered", ServerFault::Silent, 2, DownloadSegmentMissing, kNothing},
        {"segments stall before the body", ServerFault::StallBeforeBody, 2, DownloadSegmentMissing, kNothing},
        {"segments stall after 100 bytes", ServerFault::StallAfterBytes, 2, DownloadLengthMismatch,
         kAllSegmentFiles},
        {"segments reset after 100 bytes", ServerFault::ResetAfterBytes, 2, DownloadLengthMismatch,
         kAllSegmentFiles},
    };
    const std::string body = PatternBody(4000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StagingFolder own;
        options.folder = own.path();
        ServerOptions serverOptions;
        serverOptions.fault = c.fault;
        serverOptions.faultFromRequest = c.fromRequest;
        serverOptions.faultBytes = 100;
        serverOptions.dripBytes = 50;
        serverOptions.dripInterval = milliseconds(100);  // 2 s a segment, longer than the stall limit
        TestHttpServer server(body, serverOptions);
        EXPECT_EQ(Download(server, body), c.result) << printed;
        // The probe and the first chunk are bounded by 1 s each, a stall by 1 to 2 s.
        EXPECT_LT(elapsed, milliseconds(c.fault == ServerFault::SlowDrip ? 6000 : 3500));
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(own.path()))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.filesLeft);
        if (c.result == DownloadSucceeded) {
            EXPECT_EQ(ReadWholeFile(own / "update.zip"), body);
        }
        if (c.result == DownloadLengthMismatch) {
            EXPECT_EQ(ReadWholeFile(own / "update.td2"), body.substr(2000, 100));
            EXPECT_EQ(state.bytesDone, 0);
        }
        ExpectConnectionsClosed(server);
    }
}

TEST_F(DownloadTest, AShortSegmentBeforeTheLastFailsAsADigestMismatchAndIsKept)
{
    const std::string body = PatternBody(4000);
    Resumed(3, body, 3000, 1000);
    ServerOptions stall;
    stall.fault = ServerFault::StallAfterBytes;
    stall.faultFromRequest = 2;
    stall.faultBytes = 10;
    TestHttpServer server(body, stall);
    EXPECT_EQ(Download(server, body), DownloadDigestMismatch);
    EXPECT_EQ(StagingFiles(), kAllSegmentFiles);
    EXPECT_EQ(ReadWholeFile(folder / "update.td1"), body.substr(1000, 10));
}

TEST_F(DownloadTest, StalledWorkersAreCutOffOnlyAfterAWholeStallPeriod)
{
    const std::string body = PatternBody(4000);
    ServerOptions stall;
    stall.fault = ServerFault::StallAfterBytes;
    stall.faultFromRequest = 2;
    stall.faultBytes = 100;
    TestHttpServer server(body, stall);
    options.timings.stallWait = milliseconds(1500);
    EXPECT_EQ(Download(server, body), DownloadLengthMismatch);
    EXPECT_GE(elapsed, milliseconds(1500));
    EXPECT_LT(elapsed, milliseconds(3000 + 1000));
}

TEST_F(DownloadTest, WatchdogDefaultsCutAMissingFirstChunkAfterFiveSeconds)
{
    const std::string body = PatternBody(4000);
    ServerOptions stall;
    stall.fault = ServerFault::StallBeforeBody;
    stall.faultFromRequest = 2;
    TestHttpServer server(body, stall);
    options.timings = DownloadTimings();
    EXPECT_EQ(Download(server, body), DownloadSegmentMissing);
    EXPECT_GE(elapsed, milliseconds(4900));
    EXPECT_LT(elapsed, milliseconds(7000));
}

TEST_F(DownloadTest, ChecksOfTheMergedPackage)
{
    const std::string body = PatternBody(4000);
    struct Case {
        const char* name;
        std::string expectedMd5;
        int result;
        std::vector<std::string> filesLeft;
    };
    std::string upper = Md5Of(body);
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const Case cases[] = {
        {"upper-case digest", upper, DownloadSucceeded, kPackageOnly},
        {"other digest", Md5Of("other"), DownloadDigestMismatch, kNothing},
        {"empty digest", "", DownloadDigestMismatch, kNothing},
        {"digest with a blank", Md5Of(body) + " ", DownloadDigestMismatch, kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StagingFolder own;
        options.folder = own.path();
        TestHttpServer server(body);
        host = server.host();
        path = "/u.zip";
        state.expectedMd5 = c.expectedMd5;
        EXPECT_EQ(DownloadAgain(), c.result);
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(own.path()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, c.filesLeft);
        EXPECT_EQ(state.bytesDone, c.result == DownloadSucceeded ? 4000 : 0);
    }
}

TEST_F(DownloadTest, StagingNamesInTheWayFailWithTheirOwnResults)
{
    const std::string body = PatternBody(4000);
    TestHttpServer server(body);

    // "update.td" cannot be created: the complete segments stay for later.
    std::filesystem::create_directories(folder / "update.td" / "in-the-way");
    EXPECT_EQ(Download(server, body), DownloadMergeOpenFailed);
    EXPECT_EQ(StagingFiles(), (std::vector<std::string>{"update.td", "update.td0", "update.td1", "update.td2",
                                                        "update.td3"}));
    std::filesystem::remove_all(folder / "update.td");

    // "update.zip" cannot be replaced.
    std::filesystem::create_directories(folder / "update.zip" / "in-the-way");
    EXPECT_EQ(DownloadAgain(), DownloadRenameFailed);
    EXPECT_EQ(server.requests().size(), 6u) << "the second attempt asked only for the size";
    EXPECT_EQ(ReadWholeFile(folder / "update.td"), body);
    std::filesystem::remove_all(folder / "update.zip");

    // An old package is replaced.
    WriteWholeFile(folder / "update.zip", "old package");
    EXPECT_EQ(DownloadAgain(), DownloadSucceeded);
    EXPECT_EQ(ReadWholeFile(folder / "update.zip"), body);
}

TEST_F(DownloadTest, RedirectsReplaceHostAndPath)
{
    const std::string body = PatternBody(4000);
    TestHttpServer target(body);
    struct Case {
        std::string location;
        std::string host;  // "" for the redirecting server itself
        std::string path;
    };
    const Case cases[] = {
        {"http://" + target.host() + "/new/update.zip", target.host(), "/new/update.zip"},
        {"/moved/update.zip", "", "/moved/update.zip"},
        {"again.zip", "", "/pkg/again.zip"},
        {"/pkg/update.zip", "", "/pkg/update.zip"},  // a loop: the job bounds it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        ServerOptions redirect;
        redirect.fault = ServerFault::Redirect;
        redirect.faultPath = "/pkg/update.zip";
        redirect.location = c.location;
        TestHttpServer server(body, redirect);
        state.bytesDone = 77;
        EXPECT_EQ(Download(server, body), DownloadRedirected);
        EXPECT_EQ(host, c.host.empty() ? server.host() : c.host);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(state.bytesDone, 77);
        if (path != "/pkg/update.zip") {
            EXPECT_EQ(DownloadAgain(), DownloadSucceeded);
            EXPECT_EQ(ReadWholeFile(folder / "update.zip"), body);
        }
    }
}

TEST_F(DownloadTest, AddressesThatCannotWorkFailAtOnceWithALogLine)
{
    struct Case {
        const char* host;
        const char* path;
        const char* logged;
    };
    const Case cases[] = {
        {"https:", "//srv/update.zip", "https is not supported"},
        {"HTTPS:", "//srv/update.zip", "https is not supported"},
        {"", "srv", "names no server"},
    };
    for (const Case& c : cases) {
        host = c.host;
        path = c.path;
        logging::TakeDebugOutput();
        EXPECT_EQ(DownloadAgain(), DownloadProbeFailed) << c.host;
        EXPECT_LT(elapsed, milliseconds(500));
        const std::vector<std::string> lines = logging::TakeDebugOutput();
        ASSERT_EQ(lines.size(), 1u) << c.host;
        EXPECT_NE(lines[0].find("[E]"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.logged), std::string::npos) << lines[0];
    }
}

TEST_F(DownloadTest, DestroyingTheDownloaderStopsARunningAttemptAndKeepsItsFiles)
{
    const std::string body = PatternBody(4000);
    options.timings = {milliseconds(60000), milliseconds(60000), milliseconds(60000)};
    for (const int fromRequest : {1, 2}) {  // stuck in the probe, stuck in the transfer
        SCOPED_TRACE(fromRequest);
        ServerOptions stall;
        stall.fault = fromRequest == 1 ? ServerFault::Silent : ServerFault::StallAfterBytes;
        stall.faultFromRequest = fromRequest;
        stall.faultBytes = 100;
        TestHttpServer server(body, stall);
        std::future<int> result = std::async(std::launch::async, [&] { return Download(server, body); });
        ASSERT_TRUE(WaitUntil([&] { return server.requests().size() == (fromRequest == 1 ? 1u : 5u); },
                              milliseconds(3000)));
        std::this_thread::sleep_for(milliseconds(200));
        const Clock::time_point stop = Clock::now();
        {
            CHttpDownload downloader;
        }
        ASSERT_EQ(result.wait_for(std::chrono::seconds(3)), std::future_status::ready);
        EXPECT_LT(Clock::now() - stop, milliseconds(1000));
        EXPECT_EQ(result.get(), DownloadCancelled);
        if (fromRequest == 2) {
            EXPECT_EQ(StagingFiles(), kAllSegmentFiles);
        }
        ExpectConnectionsClosed(server);
    }
}

}  // namespace
