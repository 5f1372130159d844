#include "updater/cmd_line_parser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Pairs = std::map<std::wstring, std::wstring>;

struct ParseCase {
    const wchar_t* tail;
    Pairs pairs;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::wstring(c.tail));
}

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, YieldsExactlyThesePairs)
{
    const ParseCase& c = GetParam();
    const CCmdLineParser parser(c.tail);
    EXPECT_EQ(parser.values, c.pairs);
    EXPECT_EQ(parser.cmdLine, c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseTable,
    testing::Values(
        ParseCase{L"-url=a -md5=b", {{L"url", L"a"}, {L"md5", L"b"}}}, ParseCase{L"-URL=a", {{L"url", L"a"}}},
        ParseCase{L"-Url=a", {{L"url", L"a"}}}, ParseCase{L"-url=a -url=b", {{L"url", L"a"}}},
        ParseCase{L"-url=a -URL=b", {{L"url", L"a"}}}, ParseCase{L"-p= -q=1", {{L"p", L""}, {L"q", L"1"}}},
        ParseCase{L"-md5=", {{L"md5", L""}}}, ParseCase{L"-forcedupdate", {{L"forcedupdate", L""}}},
        ParseCase{L"-forcedupdate -url=x", {{L"forcedupdate -url", L"x"}}}, ParseCase{L"url=x", {}},
        ParseCase{L"/url=x", {}}, ParseCase{L"-url=pkg-1/a -md5=d", {{L"url", L"pkg-1/a"}, {L"md5", L"d"}}},
        ParseCase{L"-a=1 x-y=3", {{L"a", L"1"}, {L"y", L"3"}}},
        ParseCase{L"-a=1 junk -b=2", {{L"a", L"1"}, {L"b", L"2"}}}, ParseCase{L"-=5 -a=1", {{L"a", L"1"}}},
        ParseCase{L"-=", {}}, ParseCase{L"-a=1\t-b=2", {{L"a", L"1\t-b=2"}}}, ParseCase{L"", {}},
        ParseCase{L"no hyphen here", {}}, ParseCase{L"-", {}}, ParseCase{L"x -", {}},
        ParseCase{L"-a=1 ", {{L"a", L"1"}}}, ParseCase{L"-a=1  -b=2", {{L"a", L"1"}, {L"b", L"2"}}},
        // Only A to Z fold; other letters keep their case.
        ParseCase{L"-\u00C4Bc=1", {{L"\u00C4bc", L"1"}}}));

INSTANTIATE_TEST_SUITE_P(QuotedValues, ParseTable,
                         testing::Values(ParseCase{L"-p=\"a b\" -q=1", {{L"p", L"a b"}, {L"q", L"1"}}},
                                         ParseCase{L"-p=\"a b\"-q=1", {{L"p", L"a b"}, {L"q", L"1"}}},
                                         ParseCase{L"-p=\"x -q=1\" -r=2", {{L"p", L"x -q=1"}, {L"r", L"2"}}},
                                         ParseCase{L"-p=\"\" -q=1", {{L"p", L""}, {L"q", L"1"}}},
                                         ParseCase{L"-p=\"\"", {{L"p", L""}}},
                                         ParseCase{L"-p=\"a b -q=1", {{L"p", L"a b -q=1"}}},
                                         ParseCase{L"-p=\"", {{L"p", L""}}},
                                         // A quote inside an unquoted value is an ordinary character.
                                         ParseCase{L"-p=a\"b -q=1", {{L"p", L"a\"b"}, {L"q", L"1"}}}));

TEST(CmdLineParser, FindKeyFoldsTheKeyAndReportsAbsence)
{
    const CCmdLineParser parser(L"-Url=a -md5=");
    ASSERT_NE(parser.FindKey(L"URL"), nullptr);
    EXPECT_EQ(*parser.FindKey(L"URL"), L"a");
    EXPECT_EQ(*parser.FindKey(L"url"), L"a");
    ASSERT_NE(parser.FindKey(L"md5"), nullptr);
    EXPECT_EQ(*parser.FindKey(L"md5"), L"");
    EXPECT_EQ(parser.FindKey(L"pagecallparam"), nullptr);
}

TEST(CmdLineParser, CaseSensitiveKeepsKeysAsWritten)
{
    CCmdLineParser parser;
    EXPECT_FALSE(parser.caseSensitive);
    parser.caseSensitive = true;
    parser.Parse(L"-Url=a -url=b");
    EXPECT_EQ(parser.values, (Pairs{{L"Url", L"a"}, {L"url", L"b"}}));
    EXPECT_EQ(parser.FindKey(L"URL"), nullptr);
    ASSERT_NE(parser.FindKey(L"Url"), nullptr);
    EXPECT_EQ(*parser.FindKey(L"Url"), L"a");
}

TEST(CmdLineParser, ParseReplacesEarlierResult)
{
    CCmdLineParser parser(L"-a=1 -b=2");
    parser.Parse(L"-b=3");
    EXPECT_EQ(parser.cmdLine, L"-b=3");
    EXPECT_EQ(parser.values, (Pairs{{L"b", L"3"}}));
    parser.Parse(nullptr);
    EXPECT_EQ(parser.cmdLine, L"");
    EXPECT_TRUE(parser.values.empty());
}

TEST(CmdLineParser, NullTextParsesNothing)
{
    const CCmdLineParser parser(nullptr);
    EXPECT_TRUE(parser.cmdLine.empty());
    EXPECT_TRUE(parser.values.empty());
}

}  // namespace
