// Finding and ending the client's processes before a package is installed
// over it. Termination is abrupt (exit code 9): the client has no way of
// saving anything.
#pragma once

#include <windows.h>

// Id of the first process in snapshot order whose executable file name is
// name (case-insensitive, see ProcessNameMatches), or 0.
DWORD FindProcess_ByName(const char* name);

// Terminates the client's main and second process; true only when the
// second one was found and its termination succeeded.
bool KillClientProcesses();

// Terminates both, then, when the second one went, waits up to 3 s for the
// main process to disappear; true when the main process is not found.
bool CloseClientAndWait();
