#include "ui/attribute_values.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(AttributeValues, Integers)
{
    int v = 7;
    EXPECT_TRUE(ParseInt(L"0", v) && v == 0);
    EXPECT_TRUE(ParseInt(L"-12", v) && v == -12);
    EXPECT_TRUE(ParseInt(L"2147483647", v) && v == 2147483647);
    EXPECT_TRUE(ParseInt(L"-2147483648", v) && v == -2147483647 - 1);
    for (const wchar_t* bad : {L"", L"-", L"2147483648", L"99999999999", L"1a", L" 1", L"+1", L"0x10"}) {
        v = 7;
        EXPECT_FALSE(ParseInt(bad, v)) << bad;
        EXPECT_EQ(v, 7);
    }
}

TEST(AttributeValues, Colors)
{
    Color c = 0;
    EXPECT_TRUE(ParseColor(L"#FF1694FF", c));
    EXPECT_EQ(c, 0xFF1694FFu);
    EXPECT_TRUE(ParseColor(L"#00ffffff", c));
    EXPECT_EQ(c, 0x00FFFFFFu);
    EXPECT_TRUE(ParseColor(L"#333333", c));
    EXPECT_EQ(c, 0xFF333333u);
    for (const wchar_t* bad : {L"", L"#", L"FF1694FF", L"#FF1694F", L"#GG1694FF", L"#FF1694FF0"}) {
        EXPECT_FALSE(ParseColor(bad, c)) << bad;
    }
}

TEST(AttributeValues, EdgesSizesBooleansAlignment)
{
    Edges e;
    ASSERT_TRUE(ParseEdges(L"10, 0,-2 ,4", e));
    EXPECT_EQ(e.left, 10);
    EXPECT_EQ(e.top, 0);
    EXPECT_EQ(e.right, -2);
    EXPECT_EQ(e.bottom, 4);
    for (const wchar_t* bad : {L"", L"1,2,3", L"1,2,3,4,5", L"1,,3,4", L"a,b,c,d"}) {
        EXPECT_FALSE(ParseEdges(bad, e)) << bad;
    }

    Size s;
    ASSERT_TRUE(ParseSize(L"310,100", s));
    EXPECT_EQ(s, (Size{310, 100}));
    EXPECT_FALSE(ParseSize(L"-1,100", s));
    EXPECT_FALSE(ParseSize(L"310", s));

    bool b = false;
    EXPECT_TRUE(ParseBool(L"true", b) && b);
    EXPECT_TRUE(ParseBool(L"false", b) && !b);
    EXPECT_FALSE(ParseBool(L"1", b));
    EXPECT_FALSE(ParseBool(L"TRUE", b));

    Align a = Align::Left;
    EXPECT_TRUE(ParseAlign(L"center", a) && a == Align::Center);
    EXPECT_TRUE(ParseAlign(L"right", a) && a == Align::Right);
    EXPECT_FALSE(ParseAlign(L"middle", a));
}

}  // namespace
}  // namespace ui
