#include "updater/windows/window_texts.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ProgressPercentage, TruncatesAndGuardsAnUnknownSize)
{
    const struct {
        std::int64_t done, total;
        int expected;
    } cases[] = {
        {0, 0, 0},
        {500, 0, 0},
        {0, 1000, 0},
        {999, 1000, 99},
        {1000, 1000, 100},
        {1500, 1000, 150},                    // limited later, by the line
        {5'000'000'000, 10'000'000'000, 50},  // past 32 bits
        {1, 3, 33},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPercentage(c.done, c.total), c.expected) << c.done << "/" << c.total;
    }
}

TEST(FormatProgressLine, TextPercentAndRetrySuffixInBothLanguages)
{
    using namespace window_texts;
    EXPECT_EQ(FormatProgressLine(kDownloading.In(UiLanguage::Chinese), 42, 2, UiLanguage::Chinese),
              L"新版本下载中，建议下载完成后再进入教室...42%（重试第2次)");
    EXPECT_EQ(FormatProgressLine(kDownloadingForced.In(UiLanguage::English), 7, 0, UiLanguage::English),
              L"Find new version for client, updating now ......7%");
    EXPECT_EQ(FormatProgressLine(L"x", 150, 1, UiLanguage::English), L"x...100%（Retring for 1 times)");
    EXPECT_EQ(FormatProgressLine(L"x", 0, 0, UiLanguage::Chinese), L"x...0%");
}

TEST(FormatProgressLine, CutsAtTheTextLimit)
{
    const std::wstring longText(400, L'a');
    const std::wstring line = FormatProgressLine(longText.c_str(), 5, 3, UiLanguage::English);
    EXPECT_EQ(line.size(), static_cast<std::size_t>(kMaxFormattedText - 1));
    EXPECT_EQ(line, longText.substr(0, kMaxFormattedText - 1));
}

}  // namespace
