#include "updater/windows/window_placement_win.h"

void PlaceInWorkAreaCorner(HWND hwnd)
{
    RECT work{};
    RECT window{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(hwnd, &window)) return;
    SetWindowPos(hwnd, nullptr, (work.right - work.left) - (window.right - window.left),
                 (work.bottom - work.top) - (window.bottom - window.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}
