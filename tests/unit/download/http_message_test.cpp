#include "updater/download/http_message.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kCommonHead[] =
    "Host: srv:8080\r\n"
    "Accept: */*\r\n"
    "Pragma: no-cache\r\n"
    "Cache-Control: no-cache\r\n"
    "Connection: close\r\n";

TEST(HttpRequest, ProbeAndSegmentRequestsByteForByte)
{
    EXPECT_EQ(BuildProbeRequest("/pkg/update.zip?t=1", "srv:8080"),
              std::string("GET /pkg/update.zip?t=1 HTTP/1.1\r\n") + kCommonHead + "Range: bytes=0- \r\n\r\n");
    EXPECT_EQ(
        BuildSegmentRequest("/pkg/update.zip?t=1", "srv:8080", 250300),
        std::string("GET /pkg/update.zip?t=1 HTTP/1.1\r\n") + kCommonHead + "Range: bytes=250300- \r\n\r\n");
}

TEST(HttpRequest, PathIsSentUnencodedAndOffsetsBeyond32BitsAreWritten)
{
    EXPECT_EQ(BuildProbeRequest("/a b.zip", "h").substr(0, 25), "GET /a b.zip HTTP/1.1\r\nHo");
    EXPECT_NE(BuildSegmentRequest("/x", "h", 5368709120LL).find("\r\nRange: bytes=5368709120- \r\n\r\n"),
              std::string::npos);
}

TEST(SplitHostPort, NameAndService)
{
    struct Case {
        const char* host;
        const char* name;
        const char* service;
    };
    const Case cases[] = {
        {"srv:8080", "srv", "8080"}, {"srv", "srv", "80"},  {"HTTP:", "HTTP", ""},
        {"srv:http", "srv", "http"}, {"a:1:2", "a", "1:2"}, {"", "", "80"},
    };
    for (const Case& c : cases) {
        const HostPort split = SplitHostPort(c.host);
        EXPECT_EQ(split.name, c.name) << c.host;
        EXPECT_EQ(split.service, c.service) << c.host;
    }
}

TEST(ResponseHeadBuffer, FindsTheTerminatorWhereverTheReadsSplitIt)
{
    const std::string response = "HTTP/1.1 206 Partial\r\nContent-Length: 5\r\n\r\nbody\r\n\r\n";
    const std::size_t expected = response.find("\r\n\r\n");
    for (std::size_t first = 0; first <= response.size(); ++first) {
        for (std::size_t second = first; second <= response.size(); ++second) {
            ResponseHeadBuffer head;
            std::optional<std::size_t> found = head.Append(response.data(), first);
            if (!found) found = head.Append(response.data() + first, second - first);
            if (!found) found = head.Append(response.data() + second, response.size() - second);
            ASSERT_TRUE(found) << first << "/" << second;
            EXPECT_EQ(*found, expected) << first << "/" << second;
        }
    }
}

TEST(ResponseHeadBuffer, ByteByByteAndOverflow)
{
    ResponseHeadBuffer head;
    const std::string response = "HTTP/1.1 200 OK\r\n\r";
    for (const char c : response)
        EXPECT_FALSE(head.Append(&c, 1));
    EXPECT_EQ(head.Append("\n", 1), std::optional<std::size_t>(15));

    ResponseHeadBuffer endless;
    const std::string line = "X-Filler: " + std::string(1000, 'x') + "\r\n";
    while (!endless.Overflowed())
        ASSERT_FALSE(endless.Append(line.data(), line.size()));
    EXPECT_LE(endless.bytes().size(), ResponseHeadBuffer::kMaxHeadSize + line.size());
}

struct ParseCase {
    const char* name;
    std::string response;
    bool accepted;
    int status;
    long long totalSize;
    std::string location;
    std::string bodyLeft;  // buffer after an accepted parse
    std::string printed;   // on standard output
};

TEST(ParseResponseHeader, Cases)
{
    const ParseCase cases[] = {
        {"range total after length wins",
         "HTTP/1.1 206 Partial Content\r\nContent-Length: 1000\r\n"
         "Content-Range: bytes 0-999/4000\r\n\r\nBODY",
         true, 206, 4000, "", "BODY", ""},
        {"length after range wins",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-999/4000\r\n"
         "Content-Length: 1000\r\n\r\n",
         true, 206, 1000, "", "", ""},
        {"unknown total keeps the length",
         "HTTP/1.1 206 P\r\nContent-Length: 100\r\nContent-Range: bytes 0-99/*\r\n\r\n", true, 206, 100, "",
         "", ""},
        {"header names ignore case", "HTTP/1.1 200 OK\r\ncontent-length: 12\r\nLOCATION:   /x\r\n\r\nab",
         true, 200, 12, "/x", "ab", ""},
        {"200 without a length", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n", true, 200, 0, "", "", ""},
        {"lengths with blanks and junk", "HTTP/1.1 200 OK\r\nContent-Length:\t 42abc\r\n\r\n", true, 200, 42,
         "", "", ""},
        {"no digits is zero", "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n", true, 200, 0, "", "", ""},
        {"huge length saturates", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n", true,
         200, 9223372036854775807LL, "", "", ""},
        {"lines after an empty line are ignored", "HTTP/1.1 200 OK\n\nContent-Length: 9\r\n\r\n", true, 200,
         0, "", "", ""},
        {"redirect", "HTTP/1.1 302 Found\r\nLocation: http://mirror:81/x/update.zip\r\n\r\n", false, 302, 0,
         "http://mirror:81/x/update.zip", "", "Response returned with status code 302\n"},
        {"not found", "HTTP/1.1 404 Not Found\r\n\r\n", false, 404, 0, "", "",
         "Response returned with status code 404\n"},
        {"ICY is not HTTP", "ICY 200 OK\r\n\r\n", false, 200, 0, "", "", "Invalid response\n"},
        {"HTTP without slash", "HTTP 200 OK\r\n\r\n", false, 200, 0, "", "", "Invalid response\n"},
        {"empty head", "\r\n\r\n", false, -1, 0, "", "", "Invalid response\n"},
        {"no status number", "HTTP/1.1 OK\r\n\r\n", false, -1, 0, "", "",
         "Response returned with status code -1\n"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string buffer = c.response;
        ResponseHeader header;
        testing::internal::CaptureStdout();
        const bool accepted = ParseResponseHeader(header, buffer, buffer.find("\r\n\r\n"));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(header.statusCode, c.status);
        EXPECT_EQ(header.totalSize, c.totalSize);
        EXPECT_EQ(header.location, c.location);
        EXPECT_EQ(buffer, c.accepted ? c.bodyLeft : c.response);
    }
}

TEST(ParseResponseHeader, Status416DeletesTheMergedFileAndOtherRejectionsDoNot)
{
    const std::filesystem::path merged =
        std::filesystem::temp_directory_path() / ("h3-merged-" + std::to_string(::getpid()) + ".td");
    for (const int status : {404, 416}) {
        std::ofstream(merged) << "old";
        std::string buffer = "HTTP/1.1 " + std::to_string(status) + " X\r\n\r\n";
        ResponseHeader header;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(ParseResponseHeader(header, buffer, buffer.find("\r\n\r\n"), merged));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::filesystem::exists(merged), status != 416) << status;
    }
    std::filesystem::remove(merged);
}

TEST(ParseLocation, ResolvesAgainstTheCurrentAddress)
{
    struct Case {
        const char* location;
        bool ok;
        const char* host;
        const char* path;
    };
    // The current address is http://srv:8080/pkg/v1/update.zip?t=1
    const Case cases[] = {
        {"http://mirror:81/x/update.zip", true, "mirror:81", "/x/update.zip"},
        {"HTTP://Mirror/x", true, "Mirror", "/x"},
        {"//mirror/y.zip", true, "mirror", "/y.zip"},
        {"/new/update.zip?a=b", true, "srv:8080", "/new/update.zip?a=b"},
        {"v2/update.zip", true, "srv:8080", "/pkg/v1/v2/update.zip"},
        {"http://mirror", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
        {"http:///x", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
        {"https://mirror/x", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
        {"HTTPS://mirror/x", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
        {"ftp://mirror/x", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
        {"", false, "srv:8080", "/pkg/v1/update.zip?t=1"},
    };
    for (const Case& c : cases) {
        std::string host = "srv:8080";
        std::string path = "/pkg/v1/update.zip?t=1";
        EXPECT_EQ(ParseLocation(c.location, host, path), c.ok) << c.location;
        EXPECT_EQ(host, c.host) << c.location;
        EXPECT_EQ(path, c.path) << c.location;
    }
}

}  // namespace
