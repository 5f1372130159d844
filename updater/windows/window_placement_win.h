// Where the progress window goes: the desktop work area's bottom-right
// corner, measured as the work area's size (its origin is taken as 0,0).
#pragma once

#include <windows.h>

// Moves hwnd there without resizing, reordering, redrawing or activating it.
void PlaceInWorkAreaCorner(HWND hwnd);
