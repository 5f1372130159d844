#include "updater/updater_app_win.h"

#include "ui/ui_app_win.h"
#include "updater/platform.h"
#include "updater/update_config.h"

bool UpdaterApp::Run(const wchar_t* cmdLineTail)
{
    ui::SetInstance(instance_);
    ui::SetResourcePath(GetModuleDir());

    UpdateConfig config;
    parseZipConf(config, cmdLineTail ? cmdLineTail : L"");

    // The forced-update notice, the client shutdown and the progress window
    // with its message loop come with the windows and the package job.
    return true;
}
