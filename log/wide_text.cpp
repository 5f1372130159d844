#include "log/wide_text.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <vector>

namespace logging {

namespace {

std::mutex localeSwitchLock;

std::string Convert(const wchar_t* text, std::size_t length)
{
    if (length > (SIZE_MAX - 1) / 2) return std::string();
    // Everything that allocates comes before the locale changes, so the
    // locale is always switched back.
    std::vector<char> buffer(2 * length + 1, '\0');
    std::string saved;

    std::lock_guard<std::mutex> hold(localeSwitchLock);
    if (const char* current = std::setlocale(LC_ALL, nullptr)) saved = current;
    std::setlocale(LC_ALL, "chs");
    // At most 2 * length bytes: the last byte of the buffer stays zero.
    std::wcstombs(buffer.data(), text, 2 * length);
    if (!saved.empty()) std::setlocale(LC_ALL, saved.c_str());

    return std::string(buffer.data());  // up to the first zero byte
}

}  // namespace

std::string WideToAnsi(const wchar_t* text)
{
    if (text == nullptr) return std::string();
    return Convert(text, std::wcslen(text));
}

std::string WideToAnsi(const std::wstring& text)
{
    return Convert(text.c_str(), text.size());
}

}  // namespace logging

std::ostream& operator<<(std::ostream& out, const wchar_t* text)
{
    std::string converted;
    try {
        converted = logging::WideToAnsi(text);
    } catch (...) {
        return out;  // out of memory: the text is left out
    }
    return out << converted;
}

std::ostream& operator<<(std::ostream& out, const std::wstring& text)
{
    std::string converted;
    try {
        converted = logging::WideToAnsi(text);
    } catch (...) {
        return out;
    }
    return out << converted;
}
