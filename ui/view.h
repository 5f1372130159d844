// The controls of one skinned window and how the mouse works on them: hover
// and pushed looks of buttons, the focus a press gives, clicks, and the
// caption area that drags the window. Knows nothing of the platform: the
// window feeds it mouse events in client pixels and paints it on a canvas.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/geometry.h"

namespace ui {

struct FontSpec {
    std::wstring face;
    int size = 12;  // character height in pixels
    bool bold = false;
    bool italic = false;
};

// Notification types.
inline constexpr wchar_t kNotifyClick[] = L"click";
// A button took the focus: sent when the mouse is pressed on it.
inline constexpr wchar_t kNotifySetFocus[] = L"setfocus";

struct Notification {
    std::wstring type;
    Control* sender = nullptr;
};

class ViewListener {
public:
    virtual void OnViewNotify(const Notification& notification) = 0;
    virtual void OnViewInvalidate(const Rect& area) = 0;
    // The controls have new places (after a size or visibility change).
    virtual void OnViewArranged() = 0;

protected:
    ~ViewListener() = default;
};

class View final : private ControlHost {
public:
    // caption: left inset, top, right inset, bottom of the dragging area.
    View(std::unique_ptr<Control> root, std::vector<FontSpec> fonts, Size size, Edges caption);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Size InitialSize() const { return size_; }
    const std::vector<FontSpec>& Fonts() const { return fonts_; }
    Control& Root() { return *root_; }
    Control* Find(std::wstring_view name) { return root_->Find(name); }

    void SetListener(ViewListener* listener) { listener_ = listener; }

    void Arrange(Size client);
    void Paint(Canvas& canvas) const;

    // True where a press drags the window: inside the caption area and not
    // over a control that keeps the mouse.
    bool IsCaption(Point p);
    // The shown button at p, or null.
    Control* ButtonAt(Point p);

    void MouseMove(Point p);
    void MouseLeave();
    // True when a button took the press: the window should capture the mouse.
    bool MouseDown(Point p);
    void MouseUp(Point p);
    // The press ended without a release (capture lost).
    void CancelPress();

    Control* HotButton() const { return hot_; }
    Control* PushedButton() const { return pushed_; }

private:
    void Invalidate(const Rect& area) override;
    void LayoutChanged() override;
    void SetHot(Control* button);
    void Notify(const wchar_t* type, Control* sender);

    std::unique_ptr<Control> root_;
    std::vector<FontSpec> fonts_;
    Size size_;
    Edges caption_;
    Size client_;
    bool arranged_ = false;
    ViewListener* listener_ = nullptr;
    Control* hot_ = nullptr;
    Control* pushed_ = nullptr;
    Control* focused_ = nullptr;
};

}  // namespace ui
