// Controls that show a line of text: labels, and buttons, which draw an
// image per state (normal, hot, pushed) with their text over it.
#pragma once

#include <optional>

#include "ui/control.h"

namespace ui {

class Label : public Control {
public:
    bool SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void Paint(Canvas& canvas) const override;

    const std::wstring& Text() const { return text_; }
    void SetText(std::wstring text);
    int Font() const { return font_; }
    Color TextColor() const { return textColor_; }
    void SetTextColor(Color color);

protected:
    virtual Color CurrentTextColor() const { return textColor_; }

private:
    std::wstring text_;
    int font_ = 0;
    Color textColor_ = 0xFF000000;
};

class Button : public Label {
public:
    Button();

    bool SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void Paint(Canvas& canvas) const override;

    // A button's text stays centred unless its own align says otherwise.
    void InheritAlign(Align) override {}

    bool TakesMouse() const override { return true; }
    void SetButtonState(ButtonState state) override;
    ButtonState State() const { return state_; }

    // Without their own, the hot and pushed looks use the normal text colour.
    void SetHotTextColor(Color color);
    void SetPushedTextColor(Color color);

protected:
    Color CurrentTextColor() const override;

private:
    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring pushedImage_;
    std::optional<Color> hotTextColor_;
    std::optional<Color> pushedTextColor_;
    ButtonState state_ = ButtonState::Normal;
};

}  // namespace ui
