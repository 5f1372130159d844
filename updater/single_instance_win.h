// The two named mutexes that allow one update run per logon session.
#pragma once

#include "common/unique_handle_win.h"

enum class InstanceClaim {
    Claimed,        // this process runs the update
    QueueTimeout,   // another run kept the queue mutex for the whole wait
    AlreadyRunning  // another process holds the run mutex
};

struct InstanceResult {
    InstanceClaim claim;
    // The run mutex, owned by this process; may be empty when creating it
    // failed, which does not stop the run.
    UniqueHandle runMutex;
};

// Takes the queue mutex (waiting up to 10 s; kept until the process ends)
// and then the run mutex.
InstanceResult ClaimSingleInstance();
