// Where controls paint. The window supplies one over its back buffer; tests
// supply one that records the calls.
#pragma once

#include <string>

#include "ui/attribute_values.h"
#include "ui/geometry.h"

namespace ui {

struct TextStyle {
    int font = 0;  // index into the layout's fonts
    Color color = 0xFF000000;
    Align align = Align::Left;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void Fill(const Rect& area, Color color) = 0;
    // The skin image named file, scaled to fill dest.
    virtual void PaintImage(const std::wstring& file, const Rect& dest) = 0;
    // One line, centred vertically in box, cut off at its edges.
    virtual void PaintText(const std::wstring& text, const Rect& box, const TextStyle& style) = 0;
};

}  // namespace ui
