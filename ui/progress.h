// A progress bar: its background image is the track, its fore image the
// filled part, as wide as the value's share of the range.
#pragma once

#include "ui/control.h"

namespace ui {

class Progress : public Control {
public:
    bool SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void Paint(Canvas& canvas) const override;

    int Value() const { return value_; }
    // Held within [min, max].
    void SetValue(int value);

private:
    std::wstring foreImage_;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
};

}  // namespace ui
