#include "updater/install/client_process_win.h"

#include <tlhelp32.h>

#include "common/unique_handle_win.h"
#include "log/log.h"
#include "updater/install/process_name.h"

namespace {

constexpr char kMainProcess[] = "tuvora.exe";
constexpr char kSecondProcess[] = "zenboclient.exe";
constexpr UINT kTerminatedExitCode = 9;
constexpr DWORD kPollPauseMs = 100;
constexpr DWORD kWaitLimitMs = 3000;

// True when the process was opened and its termination succeeded.
bool Terminate(DWORD processId)
{
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process) return false;
    return TerminateProcess(process.Get(), kTerminatedExitCode) != FALSE;
}

}  // namespace

DWORD FindProcess_ByName(const char* name)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32FirstW(snapshot.Get(), &entry)) {
        LOG(logging::Error) << "process32 first error: " << GetLastError();
        return 0;
    }
    do {
        if (ProcessNameMatches(name, entry.szExeFile)) return entry.th32ProcessID;
    } while (Process32NextW(snapshot.Get(), &entry));
    return 0;
}

bool KillClientProcesses()
{
    if (const DWORD main = FindProcess_ByName(kMainProcess)) Terminate(main);
    const DWORD second = FindProcess_ByName(kSecondProcess);
    return second != 0 && Terminate(second);
}

bool CloseClientAndWait()
{
    if (!KillClientProcesses()) return FindProcess_ByName(kMainProcess) == 0;
    const DWORD start = GetTickCount();
    do {
        Sleep(kPollPauseMs);
        if (FindProcess_ByName(kMainProcess) == 0) return true;
    } while (GetTickCount() - start <= kWaitLimitMs);
    return false;
}
