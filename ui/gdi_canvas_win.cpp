#include "ui/gdi_canvas_win.h"

#include <objidl.h>
#include <shlwapi.h>

#include <gdiplus.h>

#include <cwchar>

#include "log/log.h"
#include "ui/log_text.h"
#include "ui/skin_archive_win.h"

namespace ui {
namespace {

// Decodes PNG (or any format GDI+ reads) into a premultiplied 32-bit bitmap
// of its own, so nothing refers to the encoded bytes afterwards.
std::unique_ptr<Gdiplus::Bitmap> Decode(const std::vector<unsigned char>& bytes)
{
    IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> result;
    {
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok && decoded.GetWidth() > 0 && decoded.GetHeight() > 0) {
            auto copy = std::make_unique<Gdiplus::Bitmap>(decoded.GetWidth(), decoded.GetHeight(),
                                                          PixelFormat32bppPARGB);
            Gdiplus::Graphics g(copy.get());
            g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            const Gdiplus::Rect all(0, 0, static_cast<INT>(decoded.GetWidth()),
                                    static_cast<INT>(decoded.GetHeight()));
            if (g.DrawImage(&decoded, all, 0, 0, all.Width, all.Height, Gdiplus::UnitPixel) == Gdiplus::Ok) {
                result = std::move(copy);
            }
        }
    }
    stream->Release();
    return result;
}

}  // namespace

ImageCache::ImageCache(SkinArchive& archive, std::wstring folder)
    : archive_(archive), folder_(std::move(folder))
{
}
ImageCache::~ImageCache() = default;

Gdiplus::Bitmap* ImageCache::Get(const std::wstring& file)
{
    auto found = images_.find(file);
    if (found != images_.end()) return found->second.get();
    std::vector<unsigned char> bytes;
    std::unique_ptr<Gdiplus::Bitmap> image;
    if (archive_.Read(folder_ + file, bytes)) image = Decode(bytes);
    if (!image) LOG(logging::Warn) << "skin image " << Narrow(file) << " is missing or unreadable";
    return images_.emplace(file, std::move(image)).first->second.get();
}

FontSet::FontSet(const std::vector<FontSpec>& specs)
{
    for (const FontSpec& font : specs) {
        LOGFONTW lf{};
        lf.lfHeight = -font.size;
        lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = font.italic ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        std::wcsncpy(lf.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
        fonts_.emplace_back(CreateFontIndirectW(&lf));
    }
}

HFONT FontSet::Get(int index) const
{
    if (index >= 0 && index < static_cast<int>(fonts_.size()) && fonts_[index].Get())
        return fonts_[index].Get();
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void GdiCanvas::Fill(const Rect& area, Color color)
{
    Gdiplus::Graphics g(dc_);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    g.FillRectangle(&brush, area.left, area.top, area.Width(), area.Height());
}

void GdiCanvas::PaintImage(const std::wstring& file, const Rect& dest)
{
    Gdiplus::Bitmap* image = images_.Get(file);
    if (!image || dest.IsEmpty()) return;
    Gdiplus::Graphics g(dc_);
    const INT width = static_cast<INT>(image->GetWidth());
    const INT height = static_cast<INT>(image->GetHeight());
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // At its own size an image is copied pixel for pixel; scaled, it is
    // smoothed, and its edges repeat rather than fade into transparency.
    const bool sameSize = dest.Width() == width && dest.Height() == height;
    g.SetInterpolationMode(sameSize ? Gdiplus::InterpolationModeNearestNeighbor
                                    : Gdiplus::InterpolationModeHighQualityBicubic);
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.DrawImage(image, Gdiplus::Rect(dest.left, dest.top, dest.Width(), dest.Height()), 0, 0, width, height,
                Gdiplus::UnitPixel, &attributes);
}

void GdiCanvas::PaintText(const std::wstring& text, const Rect& box, const TextStyle& style)
{
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    RECT r{box.left, box.top, box.right, box.bottom};
    const HGDIOBJ oldFont = SelectObject(dc_, fonts_.Get(style.font));
    if (style.align != Align::Left) {
        // Text wider than its box keeps its start: cut on both sides, a
        // centred button label would lose its first word.
        RECT needed = r;
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &needed, format | DT_CALCRECT);
        if (needed.right - needed.left > box.Width()) {
            format |= DT_END_ELLIPSIS;
        } else {
            format |= style.align == Align::Center ? DT_CENTER : DT_RIGHT;
        }
    }
    SetBkMode(dc_, TRANSPARENT);
    // GDI draws text opaque: the colour's alpha byte is not used.
    SetTextColor(dc_, RGB((style.color >> 16) & 0xFF, (style.color >> 8) & 0xFF, style.color & 0xFF));
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc_, oldFont);
}

}  // namespace ui
