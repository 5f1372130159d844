#include "updater/platform.h"

#include <windows.h>

std::wstring GetModuleDir()
{
    // Grow the buffer rather than accept a truncated path, whose cut-off last
    // folder would name some other folder.
    std::wstring path(1024, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
        if (length == 0) return std::wstring();
        if (length < size) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
    const std::wstring::size_type lastSeparator = path.rfind(L'\\');
    if (lastSeparator == std::wstring::npos) return std::wstring();
    return path.substr(0, lastSeparator + 1);
}

std::string WideToThreadAnsi(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int wideLength = static_cast<int>(text.size());
    const int ansiLength =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) return std::string();
    std::string ansi(static_cast<std::string::size_type>(ansiLength), '\0');
    const int written = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), wideLength, &ansi[0], ansiLength,
                                            nullptr, nullptr);
    ansi.resize(written > 0 ? static_cast<std::string::size_type>(written) : 0);
    return ansi;
}
