// How the mouse works on a window's controls, and what they paint.
#include "ui/view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin_layouts.h"
#include "ui/label.h"
#include "ui/progress.h"

namespace ui {
namespace {

struct DrawCall {
    std::wstring what;  // image file, text, or L"fill"
    Rect rect;
    TextStyle style;
};

class RecordingCanvas : public Canvas {
public:
    void Fill(const Rect& area, Color color) override { calls.push_back({L"fill", area, {0, color}}); }
    void PaintImage(const std::wstring& file, const Rect& dest) override
    {
        calls.push_back({file, dest, {}});
    }
    void PaintText(const std::wstring& text, const Rect& box, const TextStyle& style) override
    {
        calls.push_back({text, box, style});
    }
    const DrawCall* Find(const std::wstring& what) const
    {
        for (const auto& c : calls) {
            if (c.what == what) return &c;
        }
        return nullptr;
    }
    std::vector<DrawCall> calls;
};

class Recorder : public ViewListener {
public:
    void OnViewNotify(const Notification& n) override { events.push_back(n.type + L":" + n.sender->Name()); }
    void OnViewInvalidate(const Rect&) override { ++invalidations; }
    void OnViewArranged() override { ++arrangements; }
    std::vector<std::wstring> events;
    int invalidations = 0;
    int arrangements = 0;
};

RecordingCanvas PaintOf(View& view)
{
    RecordingCanvas canvas;
    view.Paint(canvas);
    return canvas;
}

class TipsBoxView : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = LoadSkinLayout("TipsBoxWnd.xml");
        ASSERT_TRUE(view);
        view->SetListener(&recorder);
    }
    std::unique_ptr<View> view;
    Recorder recorder;
    const Point onConfirm{250, 80};
    const Point onCancel{150, 80};
    const Point onText{100, 45};
};

TEST_F(TipsBoxView, ClickIsAPressAndAReleaseOverTheSameButton)
{
    EXPECT_TRUE(view->MouseDown(onConfirm));
    view->MouseUp(onConfirm);
    EXPECT_EQ(recorder.events,
              (std::vector<std::wstring>{L"setfocus:confirmButton", L"click:confirmButton"}));

    // Released elsewhere: no click; the focus stays, so no second focus notice.
    recorder.events.clear();
    view->MouseDown(onConfirm);
    view->MouseMove(onCancel);
    view->MouseUp(onCancel);
    EXPECT_TRUE(recorder.events.empty());

    view->MouseDown(onCancel);
    view->MouseUp(onCancel);
    EXPECT_EQ(recorder.events, (std::vector<std::wstring>{L"setfocus:cancelButton", L"click:cancelButton"}));
}

TEST_F(TipsBoxView, PressesOutsideButtonsDoNothing)
{
    EXPECT_FALSE(view->MouseDown(onText));
    view->MouseUp(onText);
    EXPECT_FALSE(view->MouseDown(Point{100, 10}));
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(TipsBoxView, ButtonLooksFollowTheMouse)
{
    auto image = [&](const wchar_t* prefix) {
        for (const auto& c : PaintOf(*view).calls) {
            if (c.what.rfind(prefix, 0) == 0) return c.what;
        }
        return std::wstring();
    };
    EXPECT_EQ(image(L"btn_common"), L"btn_common_n.png");
    view->MouseMove(onConfirm);
    EXPECT_EQ(image(L"btn_common"), L"btn_common_h.png");
    EXPECT_EQ(image(L"btn_cancel"), L"btn_cancel_n.png");
    view->MouseDown(onConfirm);
    EXPECT_EQ(image(L"btn_common"), L"btn_common_p.png");
    // Dragged off while pressed: normal; back on: pushed again.
    view->MouseMove(onText);
    EXPECT_EQ(image(L"btn_common"), L"btn_common_n.png");
    view->MouseMove(onConfirm);
    EXPECT_EQ(image(L"btn_common"), L"btn_common_p.png");
    view->MouseUp(onConfirm);
    EXPECT_EQ(image(L"btn_common"), L"btn_common_h.png");
    view->MouseLeave();
    EXPECT_EQ(image(L"btn_common"), L"btn_common_n.png");

    view->MouseDown(onConfirm);
    view->CancelPress();
    EXPECT_EQ(image(L"btn_common"), L"btn_common_n.png");
    // A press whose capture was lost gives no click on release.
    view->MouseUp(onConfirm);
    EXPECT_EQ(recorder.events,
              (std::vector<std::wstring>{L"setfocus:confirmButton", L"click:confirmButton"}));
}

TEST_F(TipsBoxView, ButtonTextColourFollowsItsState)
{
    auto* confirm = dynamic_cast<Button*>(view->Find(L"confirmButton"));
    ASSERT_NE(confirm, nullptr);
    confirm->SetText(L"OK");
    confirm->SetTextColor(0x000000);
    confirm->SetHotTextColor(0xFFFFFF);
    confirm->SetPushedTextColor(0xB2C3CC);
    const auto colour = [&] {
        const RecordingCanvas canvas = PaintOf(*view);
        return canvas.Find(L"OK")->style.color;
    };
    EXPECT_EQ(colour(), 0x000000u);
    view->MouseMove(onConfirm);
    EXPECT_EQ(colour(), 0xFFFFFFu);
    view->MouseDown(onConfirm);
    EXPECT_EQ(colour(), 0xB2C3CCu);
    const RecordingCanvas canvas = PaintOf(*view);
    const DrawCall* text = canvas.Find(L"OK");
    EXPECT_EQ(text->style.align, Align::Center);
    EXPECT_EQ(text->rect, (Rect{224, 69, 296, 93}));
}

TEST_F(TipsBoxView, CaptionAreaIsTheTitleRowExceptOverButtons)
{
    EXPECT_TRUE(view->IsCaption(Point{0, 0}));
    EXPECT_TRUE(view->IsCaption(Point{150, 19}));
    EXPECT_FALSE(view->IsCaption(Point{150, 20}));
    EXPECT_FALSE(view->IsCaption(Point{295, 10}));  // close button
    EXPECT_TRUE(view->IsCaption(Point{307, 10}));
    view->Find(L"closeButton")->SetVisible(false);
    EXPECT_TRUE(view->IsCaption(Point{295, 10}));
}

TEST(View, HidingAButtonDropsItsLookAndPress)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);
    Recorder recorder;
    view->SetListener(&recorder);
    const Point onSkip{250, 70};
    view->MouseDown(onSkip);
    ASSERT_EQ(view->PushedButton(), view->Find(L"skipButton"));
    view->Find(L"progressLayout")->SetVisible(false);
    EXPECT_EQ(view->PushedButton(), nullptr);
    EXPECT_EQ(view->HotButton(), nullptr);
    EXPECT_EQ(dynamic_cast<Button*>(view->Find(L"skipButton"))->State(), ButtonState::Normal);
    view->MouseUp(onSkip);
    EXPECT_EQ(recorder.events, (std::vector<std::wstring>{L"setfocus:skipButton"}));
    EXPECT_GE(recorder.arrangements, 1);
}

TEST(View, ProgressWindowPaintsWhatIsShown)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);
    RecordingCanvas first = PaintOf(*view);
    ASSERT_NE(first.Find(L"progress_bg.png"), nullptr);
    EXPECT_EQ(first.Find(L"progress_bg.png")->rect, (Rect{10, 74, 220, 77}));
    EXPECT_EQ(first.Find(L"progress_fg.png"), nullptr);  // value 0
    EXPECT_EQ(first.Find(L"btn_close_n.png"), nullptr);  // hidden
    EXPECT_EQ(first.Find(L"btn_install_n.png"), nullptr);
    ASSERT_NE(first.Find(L"btn_skip_n.png"), nullptr);
    // The title row is painted before the label on it.
    ASSERT_FALSE(first.calls.empty());
    EXPECT_EQ(first.calls[0].what, L"fill");
    EXPECT_EQ(first.calls[0].style.color, 0xFF1694FFu);
    EXPECT_EQ(first.calls[0].rect, (Rect{0, 0, 310, 30}));
    const DrawCall* title = first.Find(L"\u5347\u7ea7\u52a9\u624b");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->style.font, 2);
    EXPECT_EQ(title->style.align, Align::Left);

    auto* bar = dynamic_cast<Progress*>(view->Find(L"downloadProgress"));
    const struct {
        int value;
        int right;  // of the filled part, or 0 for none
    } cases[] = {{42, 10 + 88}, {100, 220}, {150, 220}, {-5, 0}, {1, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        bar->SetValue(c.value);
        const RecordingCanvas canvas = PaintOf(*view);
        const DrawCall* fill = canvas.Find(L"progress_fg.png");
        if (c.right == 0) {
            EXPECT_EQ(fill, nullptr);
        } else {
            ASSERT_NE(fill, nullptr);
            EXPECT_EQ(fill->rect, (Rect{10, 74, c.right, 77}));
        }
    }
}

TEST(View, ChangesAskForRepaintOnlyWhenSomethingChanged)
{
    auto view = LoadSkinLayout("UpdaterWnd.xml");
    ASSERT_TRUE(view);
    Recorder recorder;
    view->SetListener(&recorder);
    auto* tips = dynamic_cast<Label*>(view->Find(L"tipsLabel"));
    tips->SetText(L"a");
    EXPECT_EQ(recorder.invalidations, 1);
    tips->SetText(L"a");
    EXPECT_EQ(recorder.invalidations, 1);
    // A hidden control's change needs no repaint.
    auto* install = dynamic_cast<Label*>(view->Find(L"installButton"));
    install->SetText(L"x");
    EXPECT_EQ(recorder.invalidations, 1);
}

}  // namespace
}  // namespace ui
