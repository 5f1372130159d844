// Entry of TVRLaunch.exe: hands a tuvora:// link to the running client, or
// registers the protocol, applies a staged update and starts the client.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "common/client_names.h"
#include "launcher/client_check_win.h"
#include "launcher/exit_codes.h"
#include "launcher/launch_command.h"
#include "launcher/module_path_win.h"
#include "launcher/module_paths.h"
#include "launcher/pipe_handoff_win.h"
#include "launcher/protocol_registration_win.h"
#include "launcher/staged_update_win.h"
#include "log/log.h"
#include "log/wide_text.h"

namespace {

int Launch(HINSTANCE instance, const wchar_t* commandLine)
{
    using namespace launcher;

    // Asked on every start, before the command line is looked at.
    CheckClientRunning(/*ask*/ true);

    const LaunchCommand command = ParseLaunchCommand(commandLine ? commandLine : L"");

    if (CheckClientRunning(/*ask*/ false)) {
        if (!command.hasLink) return kExitDone;
        return HandOffLink(command.tail);
    }

    WriteRegFun();
    // From here on, relative names (the package, its entries, the client)
    // mean the launcher's folder; on failure the inherited one.
    SetCurrentDirectoryW(ParentFolder(ModulePath(instance)).c_str());

    LOG(logging::Info) << "class path: " << client::kMainExe;
    LOG(logging::Info) << "par: " << command.parameters;

    PrepareStagedUpdate();
    ExtractUpdatePackage();

    ShellExecuteW(nullptr, L"open", client::kMainExe, command.parameters.c_str(), nullptr, SW_SHOW);
    return kExitDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    try {
        return Launch(instance, commandLine);
    } catch (...) {
        return launcher::kExitDone;  // out of memory: nothing more can be done
    }
}
