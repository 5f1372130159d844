#include "ui/xml_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace ui {
namespace {

TEST(XmlReader, ReadsElementsAttributesAndNestingInOrder)
{
    const XmlParseResult r = ParseXml(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- skin -->\n"
        "<Window size=\"310,100\" caption='0,0,0,20'>\n"
        "  <Font name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"13\"/>\n"
        "  <VerticalLayout><Label text=\"a\"></Label><!-- c --><Button/></VerticalLayout >\n"
        "</Window>\n");
    ASSERT_TRUE(r.ok) << r.error;
    const XmlElement& w = r.root;
    EXPECT_EQ(w.name, L"Window");
    ASSERT_EQ(w.attributes.size(), 2u);
    EXPECT_EQ(w.attributes[0].name, L"size");
    EXPECT_EQ(w.attributes[1].value, L"0,0,0,20");
    ASSERT_EQ(w.children.size(), 2u);
    EXPECT_EQ(*w.children[0].Attribute(L"name"), L"\u5fae\u8f6f\u96c5\u9ed1");
    EXPECT_EQ(w.children[0].Attribute(L"bold"), nullptr);
    ASSERT_EQ(w.children[1].children.size(), 2u);
    EXPECT_EQ(w.children[1].children[0].name, L"Label");
    EXPECT_EQ(w.children[1].children[1].name, L"Button");
}

TEST(XmlReader, DecodesAttributeValues)
{
    const struct {
        const char* value;
        std::wstring expected;
    } cases[] = {
        {"a&amp;b&lt;&gt;&quot;&apos;", L"a&b<>\"'"},
        {"&#65;&#x42;&#x4E2D;", L"AB\u4e2d"},
        {"tab\there\nnew\r", L"tab here new "},
        {"\xEF\xBC\x88\xE9\x87\x8D\xE8\xAF\x95", L"\uff08\u91cd\u8bd5"},
        {"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const XmlParseResult r = ParseXml(std::string("<a v=\"") + c.value + "\"/>");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(*r.root.Attribute(L"v"), c.expected);
    }
}

TEST(XmlReader, CharacterOutsideTheBasicPlaneSurvives)
{
    const XmlParseResult r = ParseXml("<a v=\"\xF0\x9F\x98\x80&#x1F600;\"/>");
    ASSERT_TRUE(r.ok) << r.error;
    std::wstring one;
    if (sizeof(wchar_t) == 2) {
        one = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    } else {
        one = {static_cast<wchar_t>(0x1F600)};
    }
    EXPECT_EQ(*r.root.Attribute(L"v"), one + one);
}

TEST(XmlReader, RefusesMalformedDocuments)
{
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"only a comment", "<!-- x -->"},
        {"unclosed root", "<a>"},
        {"mismatched end tag", "<a></b>"},
        {"two roots", "<a/><b/>"},
        {"text after root", "<a/>x"},
        {"text before root", "x<a/>"},
        {"unquoted value", "<a v=1/>"},
        {"missing equals", "<a v \"1\"/>"},
        {"duplicate attribute", "<a v=\"1\" v=\"2\"/>"},
        {"no space between attributes", "<a v=\"1\"w=\"2\"/>"},
        {"less-than in value", "<a v=\"<\"/>"},
        {"unknown entity", "<a v=\"&nbsp;\"/>"},
        {"unterminated reference", "<a v=\"&amp\"/>"},
        {"reference to NUL", "<a v=\"&#0;\"/>"},
        {"reference to a surrogate", "<a v=\"&#xD800;\"/>"},
        {"reference past Unicode", "<a v=\"&#x110000;\"/>"},
        {"invalid UTF-8 byte", "<a v=\"\xFF\"/>"},
        {"truncated UTF-8", "<a v=\"\xE4\xB8\"/>"},
        {"overlong UTF-8", "<a v=\"\xC0\xAF\"/>"},
        {"encoded surrogate", "<a v=\"\xED\xA0\x80\"/>"},
        {"control character", "<a v=\"\x01\"/>"},
        {"document type", "<!DOCTYPE a [<!ENTITY x \"y\">]><a/>"},
        {"unterminated comment", "<a><!-- </a>"},
        {"bad name", "<1a/>"},
        {"unterminated value", "<a v=\"1/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const XmlParseResult r = ParseXml(c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(r.root.name.empty());
    }
}

TEST(XmlReader, LimitsNestingDepth)
{
    const auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += "<a>";
        for (int i = 0; i < depth; ++i)
            s += "</a>";
        return s;
    };
    EXPECT_TRUE(ParseXml(nested(kMaxXmlDepth)).ok);
    const XmlParseResult deep = ParseXml(nested(kMaxXmlDepth + 1));
    EXPECT_FALSE(deep.ok);
    EXPECT_EQ(deep.error, "elements nest too deeply");
}

}  // namespace
}  // namespace ui
