// Plain geometry of the window model: points, sizes, rectangles in client
// pixels, margins, and colours as 0xAARRGGBB.
#pragma once

#include <cstdint>

namespace ui {

using Color = std::uint32_t;

struct Point {
    int x = 0;
    int y = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

inline bool operator==(Size a, Size b)
{
    return a.width == b.width && a.height == b.height;
}

// Left and top inclusive, right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

inline bool operator==(const Rect& a, const Rect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b)
{
    return !(a == b);
}

// Margins on each side: a control's padding, a container's inset, the
// window's caption area.
struct Edges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

}  // namespace ui
