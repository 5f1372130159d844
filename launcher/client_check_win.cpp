#include "launcher/client_check_win.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cwchar>

#include "common/client_names.h"
#include "common/unique_handle_win.h"

namespace launcher {

namespace {

constexpr DWORD kWaitAfterTerminateMs = 1500;
constexpr LANGID kChineseSimplified = 0x0804;

bool AskToReopen()
{
    const bool chinese = GetUserDefaultUILanguage() == kChineseSimplified;
    const wchar_t* text =
        chinese ? L"检测到程序正在运行，是否重新打开!" : L"The program is running. Reopen it?";
    const wchar_t* caption = chinese ? L"提示" : L"Notice";
    return MessageBoxW(nullptr, text, caption, MB_OKCANCEL | MB_DEFBUTTON1) == IDOK;
}

void Terminate(DWORD processId)
{
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process) TerminateProcess(process.Get(), 0);
    Sleep(kWaitAfterTerminateMs);
}

}  // namespace

bool CheckClientRunning(bool ask)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Process32FirstW(snapshot.Get(), &entry)) return false;
    do {
        // Exact characters: a process that differs only in case is not ours.
        if (std::wcscmp(entry.szExeFile, client::kMainExe) != 0) continue;
        if (ask && AskToReopen()) {
            snapshot.Reset();
            Terminate(entry.th32ProcessID);
        }
        return true;
    } while (Process32NextW(snapshot.Get(), &entry));
    return false;
}

}  // namespace launcher
