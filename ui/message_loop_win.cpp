#include "ui/message_loop_win.h"

#include "ui/window_impl_win.h"

namespace ui {

bool FilterForWindow(const MSG& msg)
{
    if (!msg.hwnd) return false;
    WindowImplBase* window = WindowImplBase::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
    return window && window->FilterMessage(msg);
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        if (FilterForWindow(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace ui
