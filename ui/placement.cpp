#include "ui/placement.h"

#include <algorithm>

namespace ui {

Point CenteredPosition(Size window, const Rect& over, const Rect& workArea)
{
    int x = over.left + (over.Width() - window.width) / 2;
    int y = over.top + (over.Height() - window.height) / 2;
    x = std::max(workArea.left, std::min(x, workArea.right - window.width));
    y = std::max(workArea.top, std::min(y, workArea.bottom - window.height));
    return Point{x, y};
}

}  // namespace ui
