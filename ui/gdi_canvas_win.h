// Painting on a window's back buffer: skin images (PNG with alpha) through
// GDI+, text through GDI with anti-aliased fonts.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/canvas.h"
#include "ui/gdi_objects_win.h"
#include "ui/view.h"

namespace Gdiplus {
class Bitmap;
}

namespace ui {

class SkinArchive;

// The skin's images, decoded once on first use. An image that is missing
// or cannot be decoded is not drawn.
class ImageCache {
public:
    ImageCache(SkinArchive& archive, std::wstring folder);
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    Gdiplus::Bitmap* Get(const std::wstring& file);

private:
    SkinArchive& archive_;
    std::wstring folder_;
    std::map<std::wstring, std::unique_ptr<Gdiplus::Bitmap>> images_;
};

// The layout's fonts, in its order.
class FontSet {
public:
    explicit FontSet(const std::vector<FontSpec>& specs);
    // The font of that index; the system's GUI font when there is none.
    HFONT Get(int index) const;

private:
    std::vector<GdiObject<HFONT>> fonts_;
};

class GdiCanvas : public Canvas {
public:
    GdiCanvas(HDC dc, ImageCache& images, const FontSet& fonts) : dc_(dc), images_(images), fonts_(fonts) {}

    void Fill(const Rect& area, Color color) override;
    void PaintImage(const std::wstring& file, const Rect& dest) override;
    void PaintText(const std::wstring& text, const Rect& box, const TextStyle& style) override;

private:
    HDC dc_;
    ImageCache& images_;
    const FontSet& fonts_;
};

}  // namespace ui
