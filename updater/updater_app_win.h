// One update run of the updater, on the main thread.
#pragma once

#include <windows.h>

class UpdaterApp {
public:
    UpdaterApp(HANDLE runMutex, HINSTANCE instance) : runMutex_(runMutex), instance_(instance) {}

    // Performs the whole run; returns when it is over. Always true.
    bool Run(const wchar_t* cmdLineTail);

private:
    HANDLE runMutex_;  // owned by the entry, which closes it after Run
    HINSTANCE instance_;
};
