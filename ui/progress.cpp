#include "ui/progress.h"

#include <algorithm>
#include <cstdint>

namespace ui {

bool Progress::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"foreimage") {
        foreImage_ = value;
        return true;
    }
    if (name == L"min") return ParseInt(value, min_);
    if (name == L"max") return ParseInt(value, max_);
    if (name == L"value") return ParseInt(value, value_);
    return Control::SetAttribute(name, value);
}

void Progress::SetValue(int value)
{
    value = std::max(min_, std::min(value, max_));
    if (value == value_) return;
    value_ = value;
    Invalidate();
}

void Progress::Paint(Canvas& canvas) const
{
    PaintBackground(canvas);
    if (foreImage_.empty() || max_ <= min_) return;
    const Rect& r = GetRect();
    const std::int64_t done = std::max(min_, std::min(value_, max_)) - static_cast<std::int64_t>(min_);
    const int filled = static_cast<int>(r.Width() * done / (static_cast<std::int64_t>(max_) - min_));
    if (filled > 0) canvas.PaintImage(foreImage_, Rect{r.left, r.top, r.left + filled, r.bottom});
}

}  // namespace ui
