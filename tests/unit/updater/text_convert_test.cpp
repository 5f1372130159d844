// Runs under LC_ALL=C.UTF-8 (see CMakeLists.txt): the user's default code page
// is UTF-8 here.
#include "updater/text_convert.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(TextConvert, RoundTripsTextOfTheCodePage)
{
    const std::pair<std::string, std::wstring> cases[] = {
        {"", L""},
        {"C:\\A\\B\\temp\\update.zip", L"C:\\A\\B\\temp\\update.zip"},
        {"\xE4\xB8\xAD\xE6\x96\x87\\x", L"\u4E2D\u6587\\x"},
        {"a b&\"c", L"a b&\"c"},
    };
    for (const auto& [bytes, wide] : cases) {
        EXPECT_EQ(MultiByteToWide(bytes), wide) << bytes;
        EXPECT_EQ(WideToMultiByte(wide), bytes) << bytes;
    }
}

TEST(TextConvert, StopsAtTheFirstNul)
{
    EXPECT_EQ(MultiByteToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToMultiByte(std::wstring(L"ab\0cd", 5)), "ab");
}

TEST(TextConvert, UnconvertibleTextGivesEmptyResult)
{
    // Valid text before the fault must not survive as a truncated name.
    EXPECT_EQ(MultiByteToWide("C:\\dir\\\xFF\\update.zip"), L"");
    EXPECT_EQ(MultiByteToWide("abc\xE4\xB8"), L"");
    EXPECT_EQ(WideToMultiByte(std::wstring(L"C:\\dir\\") + wchar_t(0xD800) + L"x"), "");
}

TEST(TextConvert, LongestCharactersFitTheBuffer)
{
    // Four bytes per character is the most the output buffer allows for.
    const std::wstring wide(1000, wchar_t(0x1F600));
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "\xF0\x9F\x98\x80";
    EXPECT_EQ(WideToMultiByte(wide), bytes);
    EXPECT_EQ(MultiByteToWide(bytes), wide);
}

}  // namespace
