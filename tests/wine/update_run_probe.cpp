// update_run_probe.exe: tells the end-to-end scenarios what Windows knows of
// the top-level windows with a given title, which X cannot show: the owner
// window and its class, and whether each is enabled (a modal box disables
// its owner). One line per window, UTF-8:
//   window <hwnd> visible=<0|1> enabled=<0|1> rect=<l>,<t>,<r>,<b> owner=<hwnd>
//          ownerclass=<class or -> ownerenabled=<0|1|->
// (all on one line). Exit code 0 when at least one window was found, 1 when none.
#include <windows.h>

#include <cstdio>
#include <string>
#include "tests/fixtures/utf8_win.h"

namespace {

struct Search {
    std::wstring title;
    int found = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (search.title != title) return TRUE;
    ++search.found;
    RECT rect = {};
    GetWindowRect(window, &rect);
    HWND owner = GetWindow(window, GW_OWNER);
    wchar_t ownerClass[256] = L"-";
    if (owner) GetClassNameW(owner, ownerClass, 256);
    std::printf(
        "window %lu visible=%d enabled=%d rect=%ld,%ld,%ld,%ld owner=%lu ownerclass=%s ownerenabled=%s\n",
        static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)), IsWindowVisible(window) ? 1 : 0,
        IsWindowEnabled(window) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom,
        static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(owner)), Utf8(ownerClass).c_str(),
        owner ? (IsWindowEnabled(owner) ? "1" : "0") : "-");
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: update_run_probe <window title>\n");
        return 2;
    }
    Search search;
    search.title = argv[1];
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    std::fflush(stdout);
    return search.found > 0 ? 0 : 1;
}
