#include "updater/platform.h"

#include <windows.h>

#include "common/module_path_win.h"

std::wstring GetModuleDir()
{
    const std::wstring path = ModulePath(nullptr);
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
