// The base of every control of a skinned window: its place in the layout
// (fixed or shared size, padding), visibility, background and tool tip.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/geometry.h"

namespace ui {

// The view a control belongs to: told when the control must be painted
// again, or when the layout must be worked out again.
class ControlHost {
public:
    virtual void Invalidate(const Rect& area) = 0;
    virtual void LayoutChanged() = 0;

protected:
    ~ControlHost() = default;
};

enum class ButtonState { Normal, Hot, Pushed };

class Container;

class Control {
public:
    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Applies one layout attribute. Names the control does not know are
    // ignored; false when a known attribute's value does not parse.
    virtual bool SetAttribute(std::wstring_view name, std::wstring_view value);

    const std::wstring& Name() const { return name_; }

    bool IsVisible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible, and so is every container around it.
    bool IsShown() const;

    int FixedWidth() const { return width_; }    // 0: shares the free space
    int FixedHeight() const { return height_; }  // 0: shares the free space
    const Edges& Padding() const { return padding_; }
    const Rect& GetRect() const { return rect_; }
    const std::wstring& ToolTip() const { return toolTip_; }
    Align GetAlign() const { return align_; }
    Container* Parent() const { return parent_; }

    // A control without an align of its own takes its container's.
    virtual void InheritAlign(Align align);

    virtual void Arrange(const Rect& rect) { rect_ = rect; }
    virtual void Paint(Canvas& canvas) const;

    // The deepest shown control at p, or null.
    virtual Control* ControlAt(Point p);
    // This control or one inside it with the given name, or null.
    virtual Control* Find(std::wstring_view name);
    // Calls visit for this control and every one inside it.
    virtual void Visit(const std::function<void(Control&)>& visit);

    // Buttons keep the mouse: they take presses and hover looks, and the
    // window's caption area does not drag over them.
    virtual bool TakesMouse() const { return false; }
    virtual void SetButtonState(ButtonState) {}

    void SetHost(ControlHost* host) { host_ = host; }

protected:
    void Invalidate() const;
    void RequestLayout() const;
    void PaintBackground(Canvas& canvas) const;

    Align align_ = Align::Left;
    bool alignSet_ = false;

private:
    friend class Container;

    std::wstring name_;
    std::wstring toolTip_;
    std::wstring bkImage_;
    Color bkColor_ = 0;  // alpha 0: none
    Edges padding_;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    Rect rect_;
    Container* parent_ = nullptr;
    ControlHost* host_ = nullptr;
};

}  // namespace ui
