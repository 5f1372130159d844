#include "ui/gdiplus_session_win.h"

#include <windows.h>

#include <gdiplus.h>

namespace ui {
namespace {

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    ~GdiplusSession()
    {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

}  // namespace

void EnsureGdiplus()
{
    // A function-local static: built once, thread-safely, destroyed at exit
    // after every window (they live on the stacks of running code).
    static GdiplusSession session;
}

}  // namespace ui
