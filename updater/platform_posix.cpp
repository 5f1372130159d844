#include "updater/platform.h"

#include "updater/text_convert.h"

#include <unistd.h>

#include <vector>

namespace {

std::string ExecutablePath()
{
    std::vector<char> buffer(1024);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        // readlink truncates silently; a full buffer may be a cut-off path.
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::wstring GetModuleDir()
{
    const std::string path = ExecutablePath();
    const std::string::size_type lastSeparator = path.rfind('/');
    if (lastSeparator == std::string::npos) return std::wstring();
    return MultiByteToWide(path.substr(0, lastSeparator + 1));
}

std::string WideToThreadAnsi(const std::wstring& text)
{
    std::string ansi;
    ansi.reserve(text.size());
    for (const wchar_t c : text) {
        ansi += (c >= 0 && c < 0x80) ? static_cast<char>(c) : '?';
    }
    return ansi;
}
