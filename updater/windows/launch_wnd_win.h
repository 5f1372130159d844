// The relaunch window, shown after an installation: its own texts say the
// update is complete. Pressing the close button closes it at once (code 1);
// so does a click on its launch button.
#pragma once

#include "updater/windows/kmx_wnd_base_win.h"

class CLaunchWnd : public CKmxWndBase {
public:
    CLaunchWnd();

    const wchar_t* WindowClassName() const override { return L"kmx_updater_launch_wnd_class_name"; }
    std::wstring SkinFile() const override { return L"LaunchWnd.xml"; }
    void OnNotify(const ui::Notification& notification) override;
};
