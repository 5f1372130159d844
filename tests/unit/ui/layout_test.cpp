// Where the controls of the three windows land, worked out from the real
// layouts: fixed and shared sizes, padding, inset, hidden controls, align.
#include <gtest/gtest.h>

#include "skin_layouts.h"
#include "ui/container.h"
#include "ui/label.h"

namespace ui {
namespace {

struct Expected {
    const char* name;
    Rect rect;
};

void ExpectPlaces(View& view, std::initializer_list<Expected> expected)
{
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        Control* c = view.Find(std::wstring(e.name, e.name + std::char_traits<char>::length(e.name)));
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->IsShown());
        const Rect& r = c->GetRect();
        EXPECT_EQ(r, e.rect) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(SkinLayouts, ProgressWindowWhileDownloading)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->InitialSize(), (Size{310, 100}));
    ExpectPlaces(*view, {{"titleLabel", {10, 0, 210, 30}},
                         {"tipsLabel", {10, 30, 310, 60}},
                         {"progressLayout", {10, 60, 300, 100}},
                         {"downloadProgress", {10, 74, 220, 77}},
                         {"skipButton", {229, 62, 300, 88}}});
    EXPECT_FALSE(view->Find(L"closeButton")->IsShown());
    EXPECT_FALSE(view->Find(L"installButton")->IsShown());
}

TEST(SkinLayouts, ProgressWindowStatesMoveControls)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);

    // Forced: the bar takes the skip button's room.
    view->Find(L"skipButton")->SetVisible(false);
    ExpectPlaces(*view, {{"downloadProgress", {10, 74, 300, 77}}});

    // Ready: the install row replaces the progress row; the close button shows.
    view->Find(L"progressLayout")->SetVisible(false);
    view->Find(L"buttonLayout")->SetVisible(true);
    view->Find(L"closeButton")->SetVisible(true);
    ExpectPlaces(*view, {{"installButton", {229, 64, 300, 90}}, {"closeButton", {296, 8, 310, 22}}});
    EXPECT_FALSE(view->Find(L"downloadProgress")->IsShown());

    // Widened to 360 after retries: the right-hand controls follow the edge.
    view->Arrange(Size{360, 100});
    ExpectPlaces(*view, {{"installButton", {279, 64, 350, 90}}, {"closeButton", {346, 8, 360, 22}}});
}

TEST(SkinLayouts, TipsBox)
{
    auto view = LoadSkinLayout("TipsBoxWnd.xml");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->InitialSize(), (Size{310, 100}));
    EXPECT_EQ(view->Fonts().size(), 4u);
    ExpectPlaces(*view, {{"titleLabel", {10, 0, 284, 30}},
                         {"closeButton", {290, 8, 304, 22}},
                         {"tipsLabel", {18, 30, 310, 60}},
                         {"cancelButton", {144, 69, 216, 93}},
                         {"confirmButton", {224, 69, 296, 93}}});
    // Hiding the cancel button leaves the confirm button where it was.
    view->Find(L"cancelButton")->SetVisible(false);
    ExpectPlaces(*view, {{"confirmButton", {224, 69, 296, 93}}});
}

TEST(SkinLayouts, RelaunchWindowCentresItsLineAndButton)
{
    auto view = LoadSkinLayout("LaunchWnd.xml");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->InitialSize(), (Size{420, 210}));
    ExpectPlaces(*view, {{"closeButton", {290, 8, 304, 22}},
                         {"tipsLabel", {0, 32, 420, 62}},
                         {"launchButton", {170, 62, 250, 98}}});
    EXPECT_EQ(view->Find(L"tipsLabel")->GetAlign(), Align::Center);
    EXPECT_EQ(view->Find(L"titleLabel")->GetAlign(), Align::Left);
}

TEST(SkinLayouts, FontsAndTextsComeFromTheLayout)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);
    ASSERT_EQ(view->Fonts().size(), 3u);
    EXPECT_EQ(view->Fonts()[0].face, L"\u5fae\u8f6f\u96c5\u9ed1");
    EXPECT_EQ(view->Fonts()[0].size, 13);
    EXPECT_TRUE(view->Fonts()[1].bold);
    EXPECT_EQ(view->Fonts()[2].size, 14);
    auto* title = dynamic_cast<Label*>(view->Find(L"titleLabel"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Text(), L"\u5347\u7ea7\u52a9\u624b");
    EXPECT_EQ(title->Font(), 2);
    EXPECT_EQ(title->TextColor(), 0xFFFFFFFFu);
}

TEST(Layout, SharedSpaceGoesToUnsizedChildrenAndNeverBelowZero)
{
    BuildResult built = BuildView(
        "<Window size=\"100,50\"><HorizontalLayout>"
        "<Label name=\"a\"/><Label name=\"b\" width=\"31\" padding=\"2,0,3,0\"/><Label name=\"c\"/>"
        "</HorizontalLayout></Window>");
    ASSERT_TRUE(built.view) << built.error;
    View& view = *built.view;
    view.Arrange(Size{100, 50});
    // 100 - 36 = 64 shared by two; the last one takes the remainder of odd splits.
    EXPECT_EQ(view.Find(L"a")->GetRect(), (Rect{0, 0, 32, 50}));
    EXPECT_EQ(view.Find(L"b")->GetRect(), (Rect{34, 0, 65, 50}));
    EXPECT_EQ(view.Find(L"c")->GetRect(), (Rect{68, 0, 100, 50}));
    view.Arrange(Size{101, 50});
    EXPECT_EQ(view.Find(L"a")->GetRect().Width() + view.Find(L"c")->GetRect().Width(), 65);
    EXPECT_EQ(view.Find(L"c")->GetRect().right, 101);
    view.Arrange(Size{20, 50});
    EXPECT_EQ(view.Find(L"a")->GetRect().Width(), 0);
    EXPECT_EQ(view.Find(L"c")->GetRect().Width(), 0);
}

TEST(Layout, AlignPlacesFixedChildren)
{
    const struct {
        const char* align;
        int rowLeft;
        int columnLeft;
    } cases[] = {{"left", 0, 0}, {"center", 30, 40}, {"right", 60, 80}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.align);
        BuildResult built =
            BuildView(std::string("<Window><VerticalLayout align=\"") + c.align +
                      "\"><HorizontalLayout height=\"10\"><Label name=\"r1\" width=\"20\"/>"
                      "<Label name=\"r2\" width=\"20\"/></HorizontalLayout>"
                      "<Label name=\"col\" width=\"20\" height=\"10\"/></VerticalLayout></Window>");
        ASSERT_TRUE(built.view) << built.error;
        built.view->Arrange(Size{100, 40});
        EXPECT_EQ(built.view->Find(L"r1")->GetRect().left, c.rowLeft);
        EXPECT_EQ(built.view->Find(L"r2")->GetRect().left, c.rowLeft + 20);
        EXPECT_EQ(built.view->Find(L"col")->GetRect(), (Rect{c.columnLeft, 10, c.columnLeft + 20, 20}));
    }
}

TEST(LayoutBuilder, RefusesLayoutsItCannotBuild)
{
    const struct {
        const char* name;
        const char* xml;
    } cases[] = {
        {"not XML", "Window"},
        {"root is not Window", "<Dialog><Label/></Dialog>"},
        {"no control", "<Window><Font name=\"x\" size=\"13\"/></Window>"},
        {"two root controls", "<Window><Label/><Label/></Window>"},
        {"unknown element", "<Window><VerticalLayout><Edit/></VerticalLayout></Window>"},
        {"label holding a control", "<Window><Label><Label/></Label></Window>"},
        {"bad width", "<Window><Label width=\"wide\"/></Window>"},
        {"negative height", "<Window><Label height=\"-1\"/></Window>"},
        {"bad colour", "<Window><Label textcolor=\"blue\"/></Window>"},
        {"bad visible", "<Window><Label visible=\"no\"/></Window>"},
        {"bad padding", "<Window><Label padding=\"1,2\"/></Window>"},
        {"bad window size", "<Window size=\"310\"><Label/></Window>"},
        {"bad caption", "<Window caption=\"0,0,20\"><Label/></Window>"},
        {"bad font size", "<Window><Font name=\"x\" size=\"0\"/><Label/></Window>"},
        {"bad progress value", "<Window><Progress value=\"half\"/></Window>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BuildResult built = BuildView(c.xml);
        EXPECT_FALSE(built.view);
        EXPECT_FALSE(built.error.empty());
    }
}

TEST(LayoutBuilder, IgnoresAttributesItDoesNotKnow)
{
    BuildResult built =
        BuildView("<Window visible=\"false\" shadow=\"1\"><Label name=\"a\" float=\"x\"/></Window>");
    ASSERT_TRUE(built.view) << built.error;
    EXPECT_NE(built.view->Find(L"a"), nullptr);
}

}  // namespace
}  // namespace ui
