// The updater's text conversions and module folder under Wine, in the code
// page of the UI language the test runs in.
#include <windows.h>

#include <gtest/gtest.h>

#include "updater/platform.h"
#include "updater/text_convert.h"

namespace {

struct CodePageCase {
    const char* ansi;
    const wchar_t* wide;
};

}  // namespace

TEST(TextConvert, RoundTripsTheUsersCodePage)
{
    std::vector<CodePageCase> cases = {{"update.zip", L"update.zip"}, {"", L""}};
    switch (GetACP()) {
        case 936:
            cases.push_back({"\xbf\xce\xb3\xcc\\temp", L"\u8bfe\u7a0b\\temp"});
            break;
        case 1252:
            cases.push_back({"caf\xe9 \x80", L"caf\u00e9 \u20ac"});
            break;
        default:
            FAIL() << "run this test with LANG zh_CN.UTF-8 or en_US.UTF-8, not code page " << GetACP();
    }
    for (const auto& c : cases) {
        EXPECT_EQ(WideToMultiByte(c.wide), c.ansi);
        EXPECT_EQ(MultiByteToWide(c.ansi), c.wide);
    }
}

TEST(TextConvert, CharacterOutsideTheCodePageGivesEmptyText)
{
    // U+0E01 (Thai) exists in neither code page 936 nor 1252.
    EXPECT_EQ(WideToMultiByte(L"a\u0e01b"), "");
}

TEST(ThreadAnsi, UnmappableCharacterBecomesTheDefaultCharacter)
{
    EXPECT_EQ(WideToThreadAnsi(L"a\u0e01b"), "a?b");
}

TEST(ModuleDir, IsTheFolderOfThisProgram)
{
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const std::wstring full = path;
    const std::wstring dir = GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_EQ(full.compare(0, dir.size(), dir), 0);
    EXPECT_EQ(full.find(L'\\', dir.size()), std::wstring::npos);
}
