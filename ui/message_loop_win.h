// Message loops of the skinned windows. Every message a loop takes is first
// offered to the message filter of the skinned window it is for.
#pragma once

#include <windows.h>

namespace ui {

// Runs the calling thread's message loop until a quit message; returns the
// quit message's exit code.
int RunMessageLoop();

// Offers msg to the filter of the skinned window that it is for (the window
// itself or the top-level window around it); true when the filter took it
// and it must not be dispatched.
bool FilterForWindow(const MSG& msg);

}  // namespace ui
