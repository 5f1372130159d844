#include "ui/container.h"

#include <algorithm>

namespace ui {

bool Container::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"inset") return ParseEdges(value, inset_);
    return Control::SetAttribute(name, value);
}

void Container::Add(std::unique_ptr<Control> child)
{
    child->parent_ = this;
    children_.push_back(std::move(child));
}

void Container::Paint(Canvas& canvas) const
{
    if (!IsVisible()) return;
    PaintBackground(canvas);
    for (const auto& child : children_) {
        if (child->IsVisible()) child->Paint(canvas);
    }
}

Control* Container::ControlAt(Point p)
{
    if (!IsVisible() || !GetRect().Contains(p)) return nullptr;
    // Later children paint over earlier ones, so they are hit first.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (Control* hit = (*it)->ControlAt(p)) return hit;
    }
    return this;
}

Control* Container::Find(std::wstring_view name)
{
    if (Control* self = Control::Find(name)) return self;
    for (const auto& child : children_) {
        if (Control* found = child->Find(name)) return found;
    }
    return nullptr;
}

void Container::Visit(const std::function<void(Control&)>& visit)
{
    visit(*this);
    for (const auto& child : children_)
        child->Visit(visit);
}

void Container::ArrangeChildren(bool vertical)
{
    const Rect& outer = GetRect();
    const Rect inner{outer.left + inset_.left, outer.top + inset_.top, outer.right - inset_.right,
                     outer.bottom - inset_.bottom};
    const int mainStart = vertical ? inner.top : inner.left;
    const int mainLength = std::max(0, vertical ? inner.Height() : inner.Width());
    const int crossStart = vertical ? inner.left : inner.top;
    const int crossLength = std::max(0, vertical ? inner.Width() : inner.Height());

    struct Along {
        int before, fixed, after;
    };
    const auto along = [vertical](const Control& c) {
        const Edges& p = c.Padding();
        return vertical ? Along{p.top, c.FixedHeight(), p.bottom} : Along{p.left, c.FixedWidth(), p.right};
    };
    const auto across = [vertical](const Control& c) {
        const Edges& p = c.Padding();
        return vertical ? Along{p.left, c.FixedWidth(), p.right} : Along{p.top, c.FixedHeight(), p.bottom};
    };

    int used = 0;
    int flexCount = 0;
    for (const auto& child : children_) {
        if (!child->IsVisible()) continue;
        const Along a = along(*child);
        used += a.before + a.fixed + a.after;
        if (a.fixed == 0) ++flexCount;
    }
    const int free = std::max(0, mainLength - used);

    int pos = mainStart;
    if (!vertical && flexCount == 0) {
        if (GetAlign() == Align::Center) pos += free / 2;
        if (GetAlign() == Align::Right) pos += free;
    }
    int flexLeft = flexCount;
    int freeLeft = free;
    for (const auto& child : children_) {
        if (!child->IsVisible()) continue;
        const Along a = along(*child);
        int size = a.fixed;
        if (size == 0) {
            // The last shared child takes what division leaves over.
            size = flexLeft == 1 ? freeLeft : free / flexCount;
            freeLeft -= size;
            --flexLeft;
        }
        pos += a.before;

        const Along c = across(*child);
        const int room = std::max(0, crossLength - c.before - c.after);
        const int crossSize = c.fixed != 0 ? c.fixed : room;
        int crossPos = crossStart + c.before;
        if (vertical && c.fixed != 0) {
            if (GetAlign() == Align::Center) crossPos += (room - crossSize) / 2;
            if (GetAlign() == Align::Right) crossPos += room - crossSize;
        }

        child->Arrange(vertical ? Rect{crossPos, pos, crossPos + crossSize, pos + size}
                                : Rect{pos, crossPos, pos + size, crossPos + crossSize});
        pos += size + a.after;
    }
}

void VerticalLayout::Arrange(const Rect& rect)
{
    Control::Arrange(rect);
    ArrangeChildren(true);
}

void HorizontalLayout::Arrange(const Rect& rect)
{
    Control::Arrange(rect);
    ArrangeChildren(false);
}

}  // namespace ui
