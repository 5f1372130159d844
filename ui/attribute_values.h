// Reading the values of layout attributes. Each returns false, leaving out
// untouched, when the text is not a well-formed value of its kind.
#pragma once

#include <string_view>

#include "ui/geometry.h"

namespace ui {

enum class Align { Left, Center, Right };

// A decimal integer, optionally negative, within int range.
bool ParseInt(std::wstring_view text, int& out);
// "true" or "false".
bool ParseBool(std::wstring_view text, bool& out);
// "#AARRGGBB" or "#RRGGBB" (opaque).
bool ParseColor(std::wstring_view text, Color& out);
// "left,top,right,bottom".
bool ParseEdges(std::wstring_view text, Edges& out);
// "width,height", neither negative.
bool ParseSize(std::wstring_view text, Size& out);
// "left", "center" or "right".
bool ParseAlign(std::wstring_view text, Align& out);

}  // namespace ui
