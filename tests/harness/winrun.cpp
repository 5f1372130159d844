// winrun.exe: runs one Windows command line for the test harness.
//
// Wine reports only the low 8 bits of a program's exit code to the Linux
// parent, cannot end a Windows process tree on request, and shortens the
// debugger-output strings it traces, so the harness starts programs through
// this small runner:
//   WINRUN_CMDLINE    the full command line of the program (program included)
//   WINRUN_RESULT     file that receives "exit <code>\npid <pid>\n" or "timeout\n"
//   WINRUN_TIMEOUT_MS how long the program may run
//   WINRUN_DEBUG_OUT  optional: file that receives every debugger-output
//                     string of the session, each as: process id and length
//                     (4 bytes each, little-endian), then the bytes. Only one
//                     run at a time can receive them.
// The program and everything it starts run in a job object that is closed
// (ending them all) when the runner's standard input reaches end-of-file,
// so a test can still look at processes the program left behind, and can
// end a program that still runs.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

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

// Receives OutputDebugStringA strings the way a system debug monitor does:
// through the shared buffer "DBWIN_BUFFER" and its two events.
class DebugMonitor {
public:
    explicit DebugMonitor(const std::wstring& outPath)
    {
        out_ = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        buffer_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, L"DBWIN_BUFFER");
        // Two monitors would take turns at the strings and each miss some.
        if (buffer_ && GetLastError() == ERROR_ALREADY_EXISTS) {
            busy_ = true;
            return;
        }
        bufferReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
        dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
        if (buffer_) view_ = static_cast<char*>(MapViewOfFile(buffer_, FILE_MAP_ALL_ACCESS, 0, 0, kBufferSize));
        if (out_ == INVALID_HANDLE_VALUE || !view_ || !bufferReady_ || !dataReady_) {
            std::fprintf(stderr, "winrun: cannot monitor the debugger output (%lu)\n", GetLastError());
            return;
        }
        std::memset(view_, 0, kBufferSize);
        thread_ = std::thread([this] { Loop(); });
    }

    bool Busy() const { return busy_; }

    ~DebugMonitor()
    {
        if (thread_.joinable()) {
            stop_ = true;
            SetEvent(dataReady_);
            thread_.join();
        }
        if (view_) UnmapViewOfFile(view_);
        for (HANDLE h : {buffer_, bufferReady_, dataReady_})
            if (h) CloseHandle(h);
        if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
    }

private:
    static constexpr DWORD kBufferSize = 4096;

    void Loop()
    {
        SetEvent(bufferReady_);
        for (;;) {
            WaitForSingleObject(dataReady_, INFINITE);
            // A writer always leaves its process id; zero marks a consumed buffer,
            // so a wake-up to stop still takes a string that was waiting.
            std::uint32_t pid = 0;
            std::memcpy(&pid, view_, 4);
            if (pid != 0) {
                const char* text = view_ + 4;
                const std::uint32_t length = static_cast<std::uint32_t>(strnlen(text, kBufferSize - 4));
                Write(&pid, 4);
                Write(&length, 4);
                Write(text, length);
                std::memset(view_, 0, 4);
            }
            if (stop_) return;
            SetEvent(bufferReady_);
        }
    }

    void Write(const void* data, DWORD size)
    {
        DWORD written = 0;
        WriteFile(out_, data, size, &written, nullptr);
    }

    HANDLE out_ = INVALID_HANDLE_VALUE;
    HANDLE buffer_ = nullptr;
    HANDLE bufferReady_ = nullptr;
    HANDLE dataReady_ = nullptr;
    char* view_ = nullptr;
    bool busy_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void WaitForStdinEof()
{
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[256];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && in != nullptr && ReadFile(in, buf, sizeof buf, &got, nullptr) &&
           got > 0) {
    }
}

}  // namespace

int wmain()
{
    std::wstring cmdline = TakeEnv(L"WINRUN_CMDLINE");
    const std::wstring resultPath = TakeEnv(L"WINRUN_RESULT");
    const DWORD timeoutMs = static_cast<DWORD>(_wtoi(TakeEnv(L"WINRUN_TIMEOUT_MS").c_str()));
    const std::wstring debugPath = TakeEnv(L"WINRUN_DEBUG_OUT");
    if (cmdline.empty() || resultPath.empty()) {
        std::fprintf(stderr, "winrun: WINRUN_CMDLINE and WINRUN_RESULT are required\n");
        return 2;
    }
    std::unique_ptr<DebugMonitor> monitor;
    if (!debugPath.empty()) {
        monitor = std::make_unique<DebugMonitor>(debugPath);
        if (monitor->Busy()) {
            WriteResult(resultPath, "error another run receives the debugger output\n");
            WaitForStdinEof();
            return 3;
        }
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
    if (!CreateProcessW(nullptr, cmdline.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                        &si, &pi)) {
        char text[64];
        std::snprintf(text, sizeof text, "error CreateProcess %lu\n", GetLastError());
        WriteResult(resultPath, text);
        WaitForStdinEof();
        return 3;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);

    // The harness may end the run while the program still runs: closing our
    // standard input then ends the whole job at once.
    HANDLE stdinClosed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread stdinWatcher([stdinClosed] {
        WaitForStdinEof();
        SetEvent(stdinClosed);
    });

    const HANDLE waits[] = {pi.hProcess, stdinClosed};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, timeoutMs ? timeoutMs : INFINITE);
    char text[64];
    if (waited == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        std::snprintf(text, sizeof text, "exit %lu\npid %lu\n", code, pi.dwProcessId);
    } else if (waited == WAIT_OBJECT_0 + 1) {
        TerminateJobObject(job, 1);
        std::snprintf(text, sizeof text, "ended\npid %lu\n", pi.dwProcessId);
    } else {
        TerminateJobObject(job, 1);
        std::snprintf(text, sizeof text, "timeout\n");
    }
    CloseHandle(pi.hProcess);
    WriteResult(resultPath, text);

    WaitForSingleObject(stdinClosed, INFINITE);
    stdinWatcher.join();
    CloseHandle(stdinClosed);
    TerminateJobObject(job, 1);
    CloseHandle(job);
    return 0;
}
