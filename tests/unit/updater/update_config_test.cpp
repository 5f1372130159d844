#include "updater/update_config.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "log/debug_output_capture.h"
#include "log/log.h"

namespace {

const wchar_t kModuleDir[] = L"C:\\A\\B\\temp\\";

UpdateConfig Parse(const std::wstring& tail, const std::wstring& moduleDir = kModuleDir)
{
    UpdateConfig config;
    parseZipConf(config, tail, moduleDir);
    return config;
}

TEST(ParseZipConf, FillsEveryFieldFromAFullCommandLine)
{
    const UpdateConfig config = Parse(
        L"-url=http://srv:8080/pkg/update.zip -md5=0cc175b9c0f1b6a831c399e269772661"
        L" -pagecallparam=\"tuvora://open?room=7 x\" -forcedupdate=1");
    EXPECT_EQ(config.url, "http://srv:8080/pkg/update.zip?0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(config.zipPath, L"C:\\A\\B\\temp\\update.zip");
    EXPECT_EQ(config.zipMd5, "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(config.clientDic, L"C:\\A\\");
    EXPECT_EQ(config.clientExePath, L"C:\\A\\B\\TVRLaunch.exe");
    EXPECT_TRUE(config.launchAfterInstall);
    EXPECT_EQ(config.host, "srv:8080");
    EXPECT_EQ(config.urlPath, "/pkg/update.zip");
    EXPECT_EQ(config.pagecallparam, "tuvora://open?room=7 x");
    EXPECT_EQ(config.forcedupdate, 1);
}

TEST(ParseZipConf, ResetsFieldsLeftFromEarlierUse)
{
    UpdateConfig config;
    config.url = "old";
    config.zipMd5 = "old";
    config.host = "old";
    config.urlPath = "/old";
    config.pagecallparam = "old";
    config.forcedupdate = 5;
    parseZipConf(config, L"", kModuleDir);
    EXPECT_EQ(config.url, "?");
    EXPECT_EQ(config.zipMd5, "");
    EXPECT_EQ(config.host, "");
    EXPECT_EQ(config.urlPath, "");
    EXPECT_EQ(config.pagecallparam, "");
    EXPECT_EQ(config.forcedupdate, 0);
    EXPECT_TRUE(config.launchAfterInstall);
}

TEST(ParseZipConf, NonAsciiValuesUseTheAnsiDefaultCharacter)
{
    // Natively the ANSI code page is taken as plain ASCII.
    const UpdateConfig config = Parse(L"-url=http://h/\u00E9t\u00E9.zip -md5=\u4E2D");
    EXPECT_EQ(config.urlPath, "/?t?.zip");
    EXPECT_EQ(config.zipMd5, "?");
    EXPECT_EQ(config.url, "http://h/?t?.zip??");
}

struct UrlCase {
    const wchar_t* tail;
    const char* host;
    const char* urlPath;
    const char* url;
};

void PrintTo(const UrlCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::wstring(c.tail));
}

class UrlTable : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlTable, SplitsHostAndPathAndAppendsDigest)
{
    const UrlCase& c = GetParam();
    const UpdateConfig config = Parse(c.tail);
    EXPECT_EQ(config.host, c.host);
    EXPECT_EQ(config.urlPath, c.urlPath);
    EXPECT_EQ(config.url, c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, UrlTable,
    testing::Values(UrlCase{L"-url=http://server/dir/update.zip -md5=m", "server", "/dir/update.zip",
                            "http://server/dir/update.zip?m"},
                    UrlCase{L"-url=http://srv:8080/pkg/update.zip?t=1 -md5=m", "srv:8080",
                            "/pkg/update.zip?t=1", "http://srv:8080/pkg/update.zip?t=1?m"},
                    UrlCase{L"-url=server/dir/update.zip -md5=m", "server", "/dir/update.zip",
                            "server/dir/update.zip?m"},
                    UrlCase{L"-url=server -md5=m", "", "server", "server?m"},
                    UrlCase{L"-url=HTTP://server/x -md5=m", "HTTP:", "//server/x", "HTTP://server/x?m"},
                    UrlCase{L"-url=https://server/x -md5=m", "https:", "//server/x", "https://server/x?m"},
                    UrlCase{L"-md5=m", "", "", "?m"}, UrlCase{L"-url= -md5=m", "", "", "?m"},
                    UrlCase{L"-url=http:// -md5=m", "", "", "http://?m"},
                    UrlCase{L"-url=http://server -md5=m", "", "server", "http://server?m"},
                    UrlCase{L"-url=/dir/a.zip -md5=m", "", "/dir/a.zip", "/dir/a.zip?m"},
                    // The prefix is dropped once; a second one is host text.
                    UrlCase{L"-url=http://http://s/x", "http:", "//s/x", "http://http://s/x?"}));

TEST(SplitHttpUrl, IsThePureSplitThatParseZipConfUses)
{
    const HttpUrlParts parts = SplitHttpUrl(L"http://server/dir/update.zip");
    EXPECT_EQ(parts.host, "server");
    EXPECT_EQ(parts.urlPath, "/dir/update.zip");
}

struct ForcedCase {
    const wchar_t* tail;
    std::int32_t forcedupdate;
};

void PrintTo(const ForcedCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::wstring(c.tail));
}

class ForcedUpdateTable : public testing::TestWithParam<ForcedCase> {};

TEST_P(ForcedUpdateTable, ReadsLikeWideAtoi)
{
    EXPECT_EQ(Parse(GetParam().tail).forcedupdate, GetParam().forcedupdate);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ForcedUpdateTable,
    testing::Values(ForcedCase{L"-forcedupdate=1", 1}, ForcedCase{L"-forcedupdate=0", 0},
                    ForcedCase{L"-forcedupdate=2", 2}, ForcedCase{L"-forcedupdate=abc", 0},
                    ForcedCase{L"-forcedupdate=", 0}, ForcedCase{L"-url=x", 0},
                    ForcedCase{L"-forcedupdate=\" 1\"", 1}, ForcedCase{L"-forcedupdate=\"\t\r\n 7\"", 7},
                    ForcedCase{L"-forcedupdate=1x", 1}, ForcedCase{L"-forcedupdate=12x3", 12},
                    ForcedCase{L"-forcedupdate=-1", -1}, ForcedCase{L"-forcedupdate=+3", 3},
                    ForcedCase{L"-forcedupdate=+-3", 0}, ForcedCase{L"-forcedupdate=-", 0},
                    ForcedCase{L"-forcedupdate=007", 7}, ForcedCase{L"-FORCEDUPDATE=1", 1}));

// Out-of-range values saturate instead of overflowing.
INSTANTIATE_TEST_SUITE_P(Limits, ForcedUpdateTable,
                         testing::Values(ForcedCase{L"-forcedupdate=2147483647", INT32_MAX},
                                         ForcedCase{L"-forcedupdate=2147483648", INT32_MAX},
                                         ForcedCase{L"-forcedupdate=4294967297", INT32_MAX},
                                         ForcedCase{L"-forcedupdate=99999999999999999999999999", INT32_MAX},
                                         ForcedCase{L"-forcedupdate=-2147483648", INT32_MIN},
                                         ForcedCase{L"-forcedupdate=-2147483649", INT32_MIN},
                                         ForcedCase{L"-forcedupdate=-99999999999999999999999999",
                                                    INT32_MIN}));

struct FolderCase {
    const wchar_t* moduleDir;
    const wchar_t* zipPath;
    const wchar_t* clientExePath;
    const wchar_t* clientDic;
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::wstring(c.moduleDir));
}

class FolderTable : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderTable, DerivesPathsFromTheModuleFolder)
{
    const FolderCase& c = GetParam();
    const UpdateConfig config = Parse(L"-url=http://s/u.zip", c.moduleDir);
    EXPECT_EQ(config.zipPath, c.zipPath);
    EXPECT_EQ(config.clientExePath, c.clientExePath);
    EXPECT_EQ(config.clientDic, c.clientDic);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderTable,
    testing::Values(
        FolderCase{L"C:\\A\\B\\temp\\", L"C:\\A\\B\\temp\\update.zip", L"C:\\A\\B\\TVRLaunch.exe",
                   L"C:\\A\\"},
        FolderCase{L"C:\\Program Files\\Tuvora\\temp\\", L"C:\\Program Files\\Tuvora\\temp\\update.zip",
                   L"C:\\Program Files\\Tuvora\\TVRLaunch.exe", L"C:\\Program Files\\"},
        FolderCase{L"C:\\A\\temp\\", L"C:\\A\\temp\\update.zip", L"C:\\A\\TVRLaunch.exe", L"C:\\"},
        FolderCase{L"C:\\A\\", L"C:\\A\\update.zip", L"C:\\TVRLaunch.exe", L""},
        FolderCase{L"C:\\", L"C:\\update.zip", L"TVRLaunch.exe", L""},
        FolderCase{L"\\\\host\\share\\inst\\temp\\", L"\\\\host\\share\\inst\\temp\\update.zip",
                   L"\\\\host\\share\\inst\\TVRLaunch.exe", L"\\\\host\\share\\"},
        FolderCase{L"", L"update.zip", L"TVRLaunch.exe", L""}));

class ConfigLogLines : public testing::Test {
protected:
    static std::int64_t At20260307_090502() { return 1772874302; }

    void SetUp() override
    {
        previousTime_ = logging::SetTimeSource(&At20260307_090502);
        logging::TakeDebugOutput();
    }
    void TearDown() override { logging::SetTimeSource(previousTime_); }

private:
    logging::TimeSource previousTime_ = nullptr;
};

TEST_F(ConfigLogLines, LogsTheFourSettingsWithFoldersQuoted)
{
    Parse(L"-md5=abc -url=http://s/u.zip", L"C:\\R&D \"x\"\\B\\temp\\");
    const std::vector<std::string> expected = {
        "[KMX][T][2026-3-7 9:5:2] zipPath: C:\\R&D \"x\"\\B\\temp\\update.zip\n",
        "[KMX][T][2026-3-7 9:5:2] zipMd5: abc\n",
        "[KMX][T][2026-3-7 9:5:2] clientDic: \"C:\\R&&D &\"x&\"\\\"\n",
        "[KMX][T][2026-3-7 9:5:2] clientExePath: \"C:\\R&&D &\"x&\"\\B\\TVRLaunch.exe\"\n",
    };
    EXPECT_EQ(logging::TakeDebugOutput(), expected);
}

TEST_F(ConfigLogLines, DriveRootGivesEmptyQuotedFolder)
{
    Parse(L"", L"C:\\");
    const std::vector<std::string> expected = {
        "[KMX][T][2026-3-7 9:5:2] zipPath: C:\\update.zip\n",
        "[KMX][T][2026-3-7 9:5:2] zipMd5: \n",
        "[KMX][T][2026-3-7 9:5:2] clientDic: \"\"\n",
        "[KMX][T][2026-3-7 9:5:2] clientExePath: \"TVRLaunch.exe\"\n",
    };
    EXPECT_EQ(logging::TakeDebugOutput(), expected);
}

}  // namespace
