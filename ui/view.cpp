#include "ui/view.h"

namespace ui {

View::View(std::unique_ptr<Control> root, std::vector<FontSpec> fonts, Size size, Edges caption)
    : root_(std::move(root)), fonts_(std::move(fonts)), size_(size), caption_(caption)
{
    root_->Visit([this](Control& c) { c.SetHost(this); });
}

View::~View()
{
    root_->Visit([](Control& c) { c.SetHost(nullptr); });
}

void View::Arrange(Size client)
{
    client_ = client;
    arranged_ = true;
    root_->Arrange(Rect{0, 0, client.width, client.height});
    // A button that was hidden keeps no look and no press.
    if (pushed_ && !pushed_->IsShown()) CancelPress();
    if (hot_ && !hot_->IsShown()) SetHot(nullptr);
    if (focused_ && !focused_->IsShown()) focused_ = nullptr;
    if (listener_) {
        listener_->OnViewArranged();
        listener_->OnViewInvalidate(Rect{0, 0, client.width, client.height});
    }
}

void View::Paint(Canvas& canvas) const
{
    if (root_->IsVisible()) root_->Paint(canvas);
}

bool View::IsCaption(Point p)
{
    const Rect area{caption_.left, caption_.top, client_.width - caption_.right, caption_.bottom};
    return area.Contains(p) && !ButtonAt(p);
}

Control* View::ButtonAt(Point p)
{
    Control* hit = root_->ControlAt(p);
    return hit && hit->TakesMouse() ? hit : nullptr;
}

void View::SetHot(Control* button)
{
    if (button == hot_) return;
    if (hot_ && hot_ != pushed_) hot_->SetButtonState(ButtonState::Normal);
    hot_ = button;
    if (hot_ && hot_ != pushed_) hot_->SetButtonState(ButtonState::Hot);
}

void View::MouseMove(Point p)
{
    if (pushed_) {
        // While pressed, the button looks pushed only with the mouse over it.
        const bool over = pushed_->GetRect().Contains(p);
        pushed_->SetButtonState(over ? ButtonState::Pushed : ButtonState::Normal);
        hot_ = over ? pushed_ : nullptr;
        return;
    }
    SetHot(ButtonAt(p));
}

void View::MouseLeave()
{
    if (!pushed_) SetHot(nullptr);
}

bool View::MouseDown(Point p)
{
    Control* button = ButtonAt(p);
    if (!button) return false;
    pushed_ = button;
    hot_ = button;
    button->SetButtonState(ButtonState::Pushed);
    if (focused_ != button) {
        focused_ = button;
        Notify(kNotifySetFocus, button);
    }
    return true;
}

void View::MouseUp(Point p)
{
    Control* button = pushed_;
    if (!button) return;
    pushed_ = nullptr;
    const bool over = button->GetRect().Contains(p) && button->IsShown();
    hot_ = nullptr;
    button->SetButtonState(ButtonState::Normal);
    SetHot(ButtonAt(p));
    // Last: the receiver may run a modal loop of its own.
    if (over) Notify(kNotifyClick, button);
}

void View::CancelPress()
{
    if (!pushed_) return;
    pushed_->SetButtonState(ButtonState::Normal);
    if (hot_ == pushed_) hot_ = nullptr;
    pushed_ = nullptr;
}

void View::Notify(const wchar_t* type, Control* sender)
{
    if (listener_) listener_->OnViewNotify(Notification{type, sender});
}

void View::Invalidate(const Rect& area)
{
    if (listener_) listener_->OnViewInvalidate(area);
}

void View::LayoutChanged()
{
    if (arranged_) Arrange(client_);
}

}  // namespace ui
