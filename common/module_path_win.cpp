#include "common/module_path_win.h"

namespace {
constexpr DWORD kLongestPath = 32768;
}

std::wstring ModulePath(HMODULE module, DWORD* error)
{
    // A truncated path would name some other file, so grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(module, &path[0], size);
        if (length == 0) {
            if (error) *error = GetLastError();
            return std::wstring();
        }
        if (length < size) {
            path.resize(length);
            return path;
        }
        if (size >= kLongestPath) {
            if (error) *error = ERROR_INSUFFICIENT_BUFFER;
            return std::wstring();
        }
        path.resize(size * 2);
    }
}
