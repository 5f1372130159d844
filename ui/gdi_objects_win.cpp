#include "ui/gdi_objects_win.h"

namespace ui {

bool BackBuffer::Ensure(HDC screen, Size size)
{
    if (dc_ && size == size_) return true;
    Release();
    if (size.width <= 0 || size.height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc_ || !bitmap_) {
        Release();
        return false;
    }
    oldBitmap_ = SelectObject(dc_, bitmap_);
    size_ = size;
    return true;
}

void BackBuffer::Release()
{
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    oldBitmap_ = nullptr;
    size_ = Size{};
}

}  // namespace ui
