#include "updater/windows/launch_wnd_win.h"

#include "updater/windows/ui_language_win.h"
#include "updater/windows/window_texts.h"

namespace {
constexpr DWORD kStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_WINDOWEDGE;
}  // namespace

CLaunchWnd::CLaunchWnd()
{
    Create(nullptr, window_texts::kWindowTitle.In(CurrentUiLanguage()), kStyle, kExStyle);
    SetIcon(kIconGroupId);
}

void CLaunchWnd::OnNotify(const ui::Notification& notification)
{
    const std::wstring& name = notification.sender->Name();
    // Any notice, the focus a press gives included: the window goes at once.
    if (name == L"closeButton") {
        Close(kCloseConfirm);
    } else if (name == L"launchButton" && notification.type == ui::kNotifyClick) {
        Close(kCloseConfirm);
    }
}
