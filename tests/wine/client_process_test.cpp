// The client's processes found and ended through the real process snapshot:
// the stand-in client and second process, started from this program's
// folder (copied under other names where a test needs that).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/module_path_win.h"
#include "common/unique_handle_win.h"
#include "updater/install/client_process_win.h"

namespace {

std::wstring BinFolder()
{
    std::wstring path = ModulePath(nullptr, nullptr);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Processes started by a test, ended with it whatever happened.
class Processes {
public:
    ~Processes()
    {
        for (UniqueHandle& process : started_)
            TerminateProcess(process.Get(), 1);
    }

    HANDLE Start(const std::wstring& exe)
    {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            ADD_FAILURE() << "cannot start " << std::string(exe.begin(), exe.end()) << ": " << GetLastError();
            return nullptr;
        }
        CloseHandle(info.hThread);
        started_.emplace_back(info.hProcess);
        return info.hProcess;
    }

private:
    std::vector<UniqueHandle> started_;
};

// The exit code once the process has ended, or STILL_ACTIVE.
DWORD ExitCodeAfter(HANDLE process, DWORD waitMs)
{
    WaitForSingleObject(process, waitMs);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

class ClientProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(FindProcess_ByName("tuvora.exe"), 0u) << "a client from elsewhere is running";
        ASSERT_EQ(FindProcess_ByName("zenboclient.exe"), 0u);
    }

    Processes processes;
    const std::wstring bin = BinFolder();
};

TEST_F(ClientProcessTest, NothingRunningNothingEnded)
{
    EXPECT_FALSE(KillClientProcesses());
    const DWORD start = GetTickCount();
    EXPECT_TRUE(CloseClientAndWait());
    EXPECT_LT(GetTickCount() - start, 100u);  // no wait when the second process was not ended
}

TEST_F(ClientProcessTest, FindsTheWholeNameInAnyCase)
{
    HANDLE client = processes.Start(bin + L"tuvora.exe");
    ASSERT_NE(client, nullptr);
    const DWORD id = GetProcessId(client);
    EXPECT_EQ(FindProcess_ByName("tuvora.exe"), id);
    EXPECT_EQ(FindProcess_ByName("TUVORA.EXE"), id);
    EXPECT_EQ(FindProcess_ByName("uvora.exe"), 0u);
    EXPECT_EQ(FindProcess_ByName("tuvora.ex"), 0u);
    EXPECT_EQ(FindProcess_ByName("tuvora"), 0u);
}

TEST_F(ClientProcessTest, BothProcessesAreTerminatedWithCode9AndTheWaitSeesTheClientGo)
{
    HANDLE client = processes.Start(bin + L"tuvora.exe");
    HANDLE second = processes.Start(bin + L"zenboclient.exe");
    ASSERT_TRUE(client && second);

    EXPECT_TRUE(CloseClientAndWait());
    EXPECT_EQ(ExitCodeAfter(client, 0), 9u);
    EXPECT_EQ(ExitCodeAfter(second, 3000), 9u);
    EXPECT_EQ(FindProcess_ByName("tuvora.exe"), 0u);
}

TEST_F(ClientProcessTest, WithoutTheSecondProcessTheClientIsStillEndedButKillReportsFalse)
{
    HANDLE client = processes.Start(bin + L"tuvora.exe");
    ASSERT_NE(client, nullptr);
    EXPECT_FALSE(KillClientProcesses());
    EXPECT_EQ(ExitCodeAfter(client, 3000), 9u);
}

TEST_F(ClientProcessTest, OfTwoClientsOnlyTheFirstInSnapshotOrderIsEnded)
{
    // The stand-in client serves the pipe alone; a process that only waits,
    // under the client's name, can run twice.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"two-clients\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((bin + L"zenboclient.exe").c_str(), (folder + L"tuvora.exe").c_str(), FALSE));
    HANDLE first = processes.Start(folder + L"tuvora.exe");
    HANDLE other = processes.Start(folder + L"tuvora.exe");
    ASSERT_TRUE(first && other);
    const DWORD found = FindProcess_ByName("tuvora.exe");
    ASSERT_TRUE(found == GetProcessId(first) || found == GetProcessId(other));

    KillClientProcesses();
    HANDLE ended = found == GetProcessId(first) ? first : other;
    HANDLE kept = ended == first ? other : first;
    EXPECT_EQ(ExitCodeAfter(ended, 3000), 9u);
    EXPECT_EQ(ExitCodeAfter(kept, 200), static_cast<DWORD>(STILL_ACTIVE));
}

}  // namespace
