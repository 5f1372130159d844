#include "launcher/protocol_registration.h"

#include <algorithm>

namespace launcher {

namespace {
constexpr std::size_t kMinimumDataChars = 260;
}

std::wstring ProtocolCommand(const std::wstring& launcherPath)
{
    return L"\"" + launcherPath + L"\" \"%1\"";
}

std::vector<wchar_t> RegistryStringData(const std::wstring& text)
{
    std::vector<wchar_t> data(std::max(kMinimumDataChars, text.size() + 1), L'\0');
    std::copy(text.begin(), text.end(), data.begin());
    return data;
}

}  // namespace launcher
