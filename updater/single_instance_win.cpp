#include "updater/single_instance_win.h"

namespace {

// Starts queue on this one; the main thread keeps it until the process
// ends, and the system then releases it (as abandoned) for the next start.
constexpr wchar_t kQueueMutexName[] = L"QRTA_AutoUpdate";
constexpr DWORD kQueueWaitMs = 10000;

// Refuses a start while another process holds it.
constexpr wchar_t kRunMutexName[] = L"{11B0C527-BB62-4BE3-9769-26491D9845B4}";

}  // namespace

InstanceResult ClaimSingleInstance()
{
    // Deliberately never closed: closing would let a queued start in before
    // this process has gone.
    HANDLE queue = CreateMutexW(nullptr, FALSE, kQueueMutexName);
    // Acquired, abandoned by a process that died, or a failed wait (no
    // mutex could be made): all of these go on.
    if (WaitForSingleObject(queue, kQueueWaitMs) == WAIT_TIMEOUT)
        return {InstanceClaim::QueueTimeout, UniqueHandle()};

    UniqueHandle existing(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kRunMutexName));
    if (existing) return {InstanceClaim::AlreadyRunning, UniqueHandle()};

    return {InstanceClaim::Claimed, UniqueHandle(CreateMutexW(nullptr, TRUE, kRunMutexName))};
}
