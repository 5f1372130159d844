#include "ui/control.h"

#include "ui/container.h"

namespace ui {

bool Control::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"name") {
        name_ = value;
    } else if (name == L"tooltip") {
        toolTip_ = value;
    } else if (name == L"bkimage") {
        bkImage_ = value;
    } else if (name == L"bkcolor") {
        return ParseColor(value, bkColor_);
    } else if (name == L"padding") {
        return ParseEdges(value, padding_);
    } else if (name == L"width") {
        return ParseInt(value, width_) && width_ >= 0;
    } else if (name == L"height") {
        return ParseInt(value, height_) && height_ >= 0;
    } else if (name == L"visible") {
        return ParseBool(value, visible_);
    } else if (name == L"align") {
        alignSet_ = true;
        return ParseAlign(value, align_);
    }
    return true;
}

void Control::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    visible_ = visible;
    RequestLayout();
}

bool Control::IsShown() const
{
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void Control::InheritAlign(Align align)
{
    if (!alignSet_) align_ = align;
}

void Control::Paint(Canvas& canvas) const
{
    PaintBackground(canvas);
}

void Control::PaintBackground(Canvas& canvas) const
{
    if ((bkColor_ >> 24) != 0) canvas.Fill(rect_, bkColor_);
    if (!bkImage_.empty()) canvas.PaintImage(bkImage_, rect_);
}

Control* Control::ControlAt(Point p)
{
    return visible_ && rect_.Contains(p) ? this : nullptr;
}

Control* Control::Find(std::wstring_view name)
{
    return name_ == name ? this : nullptr;
}

void Control::Visit(const std::function<void(Control&)>& visit)
{
    visit(*this);
}

void Control::Invalidate() const
{
    if (host_ && IsShown()) host_->Invalidate(rect_);
}

void Control::RequestLayout() const
{
    if (host_) host_->LayoutChanged();
}

}  // namespace ui
