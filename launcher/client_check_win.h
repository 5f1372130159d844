// Finding a running client and offering to close it.
#pragma once

namespace launcher {

// True when a process named exactly "tuvora.exe" runs (whatever the user
// answered). With ask, the user is first asked whether to reopen it; on OK
// that process is terminated and the launcher waits 1500 ms for it to go.
bool CheckClientRunning(bool ask);

}  // namespace launcher
