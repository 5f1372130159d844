// Controls that hold others and lay them out in a column or a row.
//
// Along the layout's direction each shown child takes its fixed size, or,
// without one, an equal share of the space the fixed ones and all paddings
// leave (never below 0). Across it a child fills the inner width or height
// less its padding, unless it has a fixed size. Hidden children take no
// space. align (horizontal) places a row whose children all have fixed
// widths, and fixed-width children of a column.
#pragma once

#include <memory>
#include <vector>

#include "ui/control.h"

namespace ui {

class Container : public Control {
public:
    bool SetAttribute(std::wstring_view name, std::wstring_view value) override;

    void Add(std::unique_ptr<Control> child);
    const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }

    void Paint(Canvas& canvas) const override;
    Control* ControlAt(Point p) override;
    Control* Find(std::wstring_view name) override;
    void Visit(const std::function<void(Control&)>& visit) override;

protected:
    void ArrangeChildren(bool vertical);

private:
    Edges inset_;
    std::vector<std::unique_ptr<Control>> children_;
};

class VerticalLayout : public Container {
public:
    void Arrange(const Rect& rect) override;
};

class HorizontalLayout : public Container {
public:
    void Arrange(const Rect& rect) override;
};

}  // namespace ui
