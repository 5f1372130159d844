// Where a window goes when it is centred.
#pragma once

#include "ui/geometry.h"

namespace ui {

// The top-left corner that centres a window of the given size over the
// rectangle over, moved as little as needed to keep it inside workArea (its
// top-left corner wins when the window is larger than the work area).
Point CenteredPosition(Size window, const Rect& over, const Rect& workArea);

}  // namespace ui
