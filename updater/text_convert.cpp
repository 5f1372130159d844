#include "updater/text_convert.h"

#include <clocale>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

// setlocale races with every other locale-dependent call, so it runs once,
// before the first conversion, whichever thread gets there first.
void UseUserDefaultCharacterLocale()
{
    static std::once_flag localeSet;
    std::call_once(localeSet, [] { std::setlocale(LC_CTYPE, ""); });
}

const std::size_t kConversionFailed = static_cast<std::size_t>(-1);

}  // namespace

std::wstring MultiByteToWide(const std::string& text)
{
    if (text.empty()) return std::wstring();
    UseUserDefaultCharacterLocale();
    std::vector<wchar_t> buffer(text.size() + 1, L'\0');
    const std::size_t length = std::mbstowcs(buffer.data(), text.c_str(), buffer.size());
    if (length == kConversionFailed) return std::wstring();
    return std::wstring(buffer.data(), length);
}

std::string WideToMultiByte(const std::wstring& text)
{
    if (text.empty()) return std::string();
    UseUserDefaultCharacterLocale();
    std::vector<char> buffer(4 * text.size() + 1, '\0');
    const std::size_t length = std::wcstombs(buffer.data(), text.c_str(), buffer.size());
    if (length == kConversionFailed) return std::string();
    return std::string(buffer.data(), length);
}
