// winrun.exe: runs one Windows command line for the test harness.
//
// Wine reports only the low 8 bits of a program's exit code to the Linux
// parent and cannot end a Windows process tree on request, so the harness
// starts programs through this small runner:
//   WINRUN_CMDLINE   the full command line of the program (program included)
//   WINRUN_RESULT    file that receives "exit <code>" or "timeout"
//   WINRUN_TIMEOUT_MS how long the program may run
// The program and everything it starts run in a job object that is closed
// (ending them all) when the runner's standard input reaches end-of-file,
// so a test can still look at processes the program left behind.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring TakeEnv(const wchar_t* name)
{
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    std::wstring value;
    if (n > 0) {
        value.resize(n);
        n = GetEnvironmentVariableW(name, value.data(), n);
        value.resize(n);
    }
    SetEnvironmentVariableW(name, nullptr);
    return value;
}

void WriteResult(const std::wstring& path, const std::string& text)
{
    const std::wstring partial = path + L".part";
    HANDLE f = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
    MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void WaitForStdinEof()
{
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[256];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && in != nullptr && ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
    }
}

}  // namespace

int wmain()
{
    std::wstring cmdline = TakeEnv(L"WINRUN_CMDLINE");
    const std::wstring resultPath = TakeEnv(L"WINRUN_RESULT");
    const DWORD timeoutMs = static_cast<DWORD>(_wtoi(TakeEnv(L"WINRUN_TIMEOUT_MS").c_str()));
    if (cmdline.empty() || resultPath.empty()) {
        std::fprintf(stderr, "winrun: WINRUN_CMDLINE and WINRUN_RESULT are required\n");
        return 2;
    }

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmdline.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        char text[64];
        std::snprintf(text, sizeof text, "error %lu\n", GetLastError());
        WriteResult(resultPath, text);
        WaitForStdinEof();
        return 3;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);

    char text[64];
    if (WaitForSingleObject(pi.hProcess, timeoutMs ? timeoutMs : INFINITE) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        std::snprintf(text, sizeof text, "exit %lu\n", code);
    } else {
        TerminateJobObject(job, 1);
        std::snprintf(text, sizeof text, "timeout\n");
    }
    CloseHandle(pi.hProcess);
    WriteResult(resultPath, text);

    WaitForStdinEof();
    TerminateJobObject(job, 1);
    CloseHandle(job);
    return 0;
}
