// Owners of the GDI objects a window paints with.
#pragma once

#include <windows.h>

#include "ui/geometry.h"

namespace ui {

// One GDI object (font, bitmap, brush), deleted with its owner.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            Reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    void Reset()
    {
        if (handle_) DeleteObject(handle_);
        handle_ = nullptr;
    }

private:
    Handle handle_ = nullptr;
};

// A 32-bit memory bitmap with its device context, where a window is painted
// before it is copied to the screen in one go (no flicker).
class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer() { Release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Makes the buffer the given size, compatible with screen; false when
    // the system refuses.
    bool Ensure(HDC screen, Size size);
    HDC Dc() const { return dc_; }

private:
    void Release();

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    Size size_;
};

}  // namespace ui
