#include "archive/zip_names.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const wchar_t* raw;
    const wchar_t* safe;
};

TEST(ZipNames, MakeSafeNameDropsDrivesSeparatorsAndParentSteps)
{
    const NameCase cases[] = {
        {L"C:\\x\\a.txt", L"x\\a.txt"},
        {L"\\x\\a.txt", L"x\\a.txt"},
        {L"/x/a.txt", L"x/a.txt"},
        {L"x/../../y.txt", L"../y.txt"},
        {L"a\\..\\b\\..\\c.txt", L"c.txt"},
        {L"a\\../b", L"b"},
        {L"a/..\\b", L"b"},
        {L"//server/share/f", L"server/share/f"},
        {L"\\\\C:\\f", L"f"},       // separators, then the drive they hid
        {L"C:/../C:x", L"../C:x"},  // a leading parent step is not dropped
        {L"plain/name.txt", L"plain/name.txt"},
        {L"..\\y", L"..\\y"},  // leading ".." is left for the caller to refuse
        {L"a..b/c", L"a..b/c"},
        {L"C:", L""},
        {L"", L""},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(MakeSafeName(c.raw), c.safe) << "raw: " << c.raw;
}

TEST(ZipNames, MakeSafeNameStaysFastOnHostileNames)
{
    std::wstring name;
    for (int i = 0; i < 20000; ++i)
        name += L"/x/..\\";
    name += L"end";
    EXPECT_EQ(MakeSafeName(name), L"end");
    EXPECT_EQ(MakeSafeName(std::wstring(100000, L'/') + L"f"), L"f");
}

TEST(ZipNames, DecodesUtf8WhateverTheFlags)
{
    EXPECT_EQ(DecodeUtf8Name("\xE4\xB8\xAD\xE6\x96\x87/\xE8\xAF\xB4\xE6\x98\x8E.txt"),
              L"\u4E2D\u6587/\u8BF4\u660E.txt");
    EXPECT_EQ(DecodeUtf8Name("caf\xC3\xA9"), L"caf\u00E9");
    const std::wstring emoji = DecodeUtf8Name("\xF0\x9F\x98\x80");
    EXPECT_EQ(emoji,
              sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDE00") : std::wstring(1, wchar_t(0x1F600)));
}

TEST(ZipNames, InvalidUtf8BecomesReplacementAndZeroEndsTheName)
{
    const struct {
        std::string raw;
        std::wstring decoded;
    } cases[] = {
        {"a\xFF"
         "b",
         L"a\uFFFDb"},
        {"a\xC3", L"a\uFFFD"},          // cut-off sequence
        {"\xC0\xAF", L"\uFFFD\uFFFD"},  // overlong '/' must not become a separator
        {"\xED\xA0\x80x", L"\uFFFDx"},  // encoded surrogate
        {"\xE4\xB8"
         "x",
         L"\uFFFDx"},  // sequence broken by an ASCII byte
        {std::string("ok\0/../../x", 11), L"ok"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeUtf8Name(c.raw), c.decoded);
}

TEST(ZipNames, StaysInsideFolderRefusesParentElementsAndAbsoluteNames)
{
    const struct {
        const wchar_t* name;
        bool inside;
    } cases[] = {
        {L"a.txt", true},        {L"sub/deeper/f.txt", true},
        {L"a..b", true},         {L"./a", true},
        {L".hidden", true},      {L"x/", true},
        {L"../y.txt", false},    {L"..\\y.txt", false},
        {L"x/..", false},        {L"...", false},
        {L".. /x", false},       {L"x/. ./y", false},
        {L"/etc/passwd", false}, {L"\\x", false},
        {L"C:x", false},         {L"..", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StaysInsideFolder(c.name), c.inside) << c.name;
}

}  // namespace
