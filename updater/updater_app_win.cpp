#include "updater/updater_app_win.h"

#include "common/client_names.h"
#include "log/log.h"
#include "ui/message_loop_win.h"
#include "ui/ui_app_win.h"
#include "updater/install/client_process_win.h"
#include "updater/platform.h"
#include "updater/update_config.h"
#include "updater/windows/tips_box_wnd_win.h"
#include "updater/windows/ui_language_win.h"
#include "updater/windows/updater_wnd_win.h"
#include "updater/windows/window_placement_win.h"
#include "updater/windows/window_texts.h"

namespace {

constexpr int kNoticeMode = 0;

// Tells the user the client is about to close, over the client's own
// window when there is one.
void ShowForcedUpdateNotice()
{
    HWND client = FindWindowW(client::kMainWindowClass, nullptr);
    CTipsBoxWnd notice(client, window_texts::kForcedUpdateNotice.In(CurrentUiLanguage()), kNoticeMode);
    notice.CenterWindow();
    notice.ShowModal();
}

}  // namespace

bool UpdaterApp::Run(const wchar_t* cmdLineTail)
{
    ui::SetInstance(instance_);
    ui::SetResourcePath(GetModuleDir());

    UpdateConfig config;
    parseZipConf(config, cmdLineTail ? cmdLineTail : L"");

    if (config.forcedupdate == 1) {
        ShowForcedUpdateNotice();
        CloseClientAndWait();
    }

    CUpdaterWnd window;
    if (!window.GetHWND()) {
        // Nothing would end the message loop without the window.
        LOG(logging::Error) << "progress window cannot be created";
        return true;
    }
    window.Show(false);
    PlaceInWorkAreaCorner(window.GetHWND());
    window.SetConfig(config);
    window.Show(true, true);
    SetActiveWindow(window.GetHWND());
    SetForegroundWindow(window.GetHWND());

    ui::RunMessageLoop();
    return true;
}
