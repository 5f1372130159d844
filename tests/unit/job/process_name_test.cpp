#include "updater/install/process_name.h"

#include <gtest/gtest.h>

TEST(ProcessNameTest, MatchesWholeNameIgnoringAsciiCase)
{
    struct Case {
        const char* name;
        const wchar_t* exeFile;
        bool matches;
    };
    const Case cases[] = {
        {"tuvora.exe", L"tuvora.exe", true},
        {"tuvora.exe", L"TUVORA.EXE", true},
        {"tuvora.exe", L"TuVoRa.ExE", true},
        {"zenboclient.exe", L"ZenboClient.exe", true},
        {"tuvora.exe", L"tuvora.exe2", false},
        {"tuvora.exe", L"xtuvora.exe", false},
        {"tuvora.exe", L"tuvora", false},
        {"tuvora.exe", L"", false},
        {"", L"", true},
        // Only a to z fold: a byte above 127 never matches, not even itself.
        {"\xe9.exe", L"\u00e9.exe", false},
        {"tuvora.exe", L"tuvora\u00b7exe", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProcessNameMatches(c.name, c.exeFile), c.matches) << c.name;
    }
}
