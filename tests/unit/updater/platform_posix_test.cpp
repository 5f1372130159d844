#include "updater/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(PlatformPosix, ModuleDirIsTheFolderHoldingThisTestProgram)
{
    const std::wstring dir = GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'/');
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(dir) / "updater_core_tests"));
}

TEST(PlatformPosix, ThreadAnsiKeepsAsciiAndReplacesTheRest)
{
    EXPECT_EQ(WideToThreadAnsi(L""), "");
    EXPECT_EQ(WideToThreadAnsi(L"C:\\a b&\"~\x7F"), "C:\\a b&\"~\x7F");
    EXPECT_EQ(WideToThreadAnsi(L"!\x80\u00E9\u4E2D"), "!???");
}

}  // namespace
