#include "updater/download/http_download.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/http_server/nginx_server.h"
#include "tests/http_server/test_http_server.h"
#include "tests/unit/download/download_test_support.h"

namespace {

// A whole download from the server users put packages on.
TEST(NginxDownload, WholeAndResumedDownloads)
{
    StagingFolder www;
    const std::string body = PatternBody(3 * 1024 * 1024 + 3);
    WriteWholeFile(www / "update.zip", body);
    NginxServer nginx(www.path());

    for (const bool resumed : {false, true}) {
        SCOPED_TRACE(resumed ? "resumed" : "fresh");
        StagingFolder staging;
        if (resumed) WriteWholeFile(staging / "update.td2", body.substr(2 * (body.size() / 4), 1000));
        DownloadOptions options;
        options.folder = staging.path();
        DownloadState state;
        state.expectedMd5 = Md5Of(body);
        std::string host = nginx.host();
        std::string path = "/update.zip?" + state.expectedMd5;
        testing::internal::CaptureStdout();
        EXPECT_EQ(CHttpDownload::Download(host, path, state, options), DownloadSucceeded);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(ReadWholeFile(staging / "update.zip"), body);
        EXPECT_EQ(state.totalSize, static_cast<std::int64_t>(body.size()));
        EXPECT_EQ(state.bytesDone, static_cast<std::int64_t>(body.size()));
    }
    // nginx answered every range request (it logs the value without the trailing blank).
    const std::string log = nginx.accessLog();
    const std::size_t quarter = body.size() / 4;
    for (const std::string& line :
         {std::string("206 bytes=0-\n"), "206 bytes=" + std::to_string(quarter) + "-\n",
          "206 bytes=" + std::to_string(2 * quarter + 1000) + "-\n",
          "206 bytes=" + std::to_string(3 * quarter) + "-\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " not in:\n" << log;
    }
    EXPECT_EQ(log.find("200 "), std::string::npos) << log;
}

}  // namespace
