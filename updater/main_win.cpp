// Entry of Updater.exe: one update run per logon session.
#include <objbase.h>
#include <windows.h>

#include <cstdlib>

#include "updater/single_instance_win.h"
#include "updater/updater_app_win.h"

namespace {
constexpr int kDidNotRun = -1;
constexpr int kRan = 0;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLineTail, int)
{
    if (FAILED(CoInitialize(nullptr))) return kDidNotRun;

    InstanceResult instanceClaim = ClaimSingleInstance();
    if (instanceClaim.claim != InstanceClaim::Claimed) return kDidNotRun;

    // The run-time's count of the whole command line, so a lone "" counts.
    if (__argc < 2) return kDidNotRun;

    UpdaterApp app(instanceClaim.runMutex.Get(), instance);
    app.Run(cmdLineTail);

    CoUninitialize();
    return kRan;
}
