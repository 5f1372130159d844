#include "ui/label.h"

namespace ui {

bool Label::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"text") {
        text_ = value;
        return true;
    }
    if (name == L"font") return ParseInt(value, font_) && font_ >= 0;
    if (name == L"textcolor") return ParseColor(value, textColor_);
    return Control::SetAttribute(name, value);
}

void Label::SetText(std::wstring text)
{
    if (text == text_) return;
    text_ = std::move(text);
    Invalidate();
}

void Label::SetTextColor(Color color)
{
    textColor_ = color;
    Invalidate();
}

void Label::Paint(Canvas& canvas) const
{
    PaintBackground(canvas);
    if (!text_.empty()) canvas.PaintText(text_, GetRect(), TextStyle{font_, CurrentTextColor(), GetAlign()});
}

Button::Button()
{
    align_ = Align::Center;
}

bool Button::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"normalimage") {
        normalImage_ = value;
    } else if (name == L"hotimage") {
        hotImage_ = value;
    } else if (name == L"pushedimage") {
        pushedImage_ = value;
    } else {
        return Label::SetAttribute(name, value);
    }
    return true;
}

void Button::SetButtonState(ButtonState state)
{
    if (state == state_) return;
    state_ = state;
    Invalidate();
}

void Button::SetHotTextColor(Color color)
{
    hotTextColor_ = color;
    if (state_ == ButtonState::Hot) Invalidate();
}

void Button::SetPushedTextColor(Color color)
{
    pushedTextColor_ = color;
    if (state_ == ButtonState::Pushed) Invalidate();
}

Color Button::CurrentTextColor() const
{
    if (state_ == ButtonState::Hot && hotTextColor_) return *hotTextColor_;
    if (state_ == ButtonState::Pushed && pushedTextColor_) return *pushedTextColor_;
    return TextColor();
}

void Button::Paint(Canvas& canvas) const
{
    const std::wstring* image = &normalImage_;
    if (state_ == ButtonState::Hot && !hotImage_.empty()) image = &hotImage_;
    if (state_ == ButtonState::Pushed && !pushedImage_.empty()) image = &pushedImage_;
    PaintBackground(canvas);
    if (!image->empty()) canvas.PaintImage(*image, GetRect());
    if (!Text().empty())
        canvas.PaintText(Text(), GetRect(), TextStyle{Font(), CurrentTextColor(), GetAlign()});
}

}  // namespace ui
