#include "launcher/protocol_registration_win.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "launcher/module_path_win.h"
#include "launcher/protocol_registration.h"
#include "log/log.h"

namespace launcher {

namespace {

class RegistryKey {
public:
    RegistryKey(HKEY parent, const wchar_t* subKey, REGSAM access)
    {
        if (RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RegistryKey()
    {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }

    bool HasValue(const wchar_t* name) const
    {
        return RegQueryValueExW(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    bool SetString(const wchar_t* name, const std::vector<wchar_t>& data) const
    {
        const DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()), bytes) ==
               ERROR_SUCCESS;
    }

private:
    HKEY key_ = nullptr;
};

std::vector<wchar_t> StringData(const std::wstring& text)
{
    return std::vector<wchar_t>(text.c_str(), text.c_str() + text.size() + 1);
}

// Without these the shell does not hand tuvora:// links to the command;
// an installer's own values are left as they are.
void MarkAsUrlProtocol()
{
    const RegistryKey scheme(HKEY_CLASSES_ROOT, kProtocolKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!scheme) return;
    if (!scheme.HasValue(kUrlProtocolValue)) scheme.SetString(kUrlProtocolValue, StringData(L""));
    if (!scheme.HasValue(L"")) scheme.SetString(L"", StringData(kProtocolDescription));
}

}  // namespace

void WriteRegFun()
{
    DWORD error = 0;
    const std::wstring launcherPath = ModulePath(nullptr, &error);
    if (launcherPath.empty()) {
        std::printf("GetModuleFileName failed w/err 0x%08lx\n", error);
        std::fflush(stdout);
        return;
    }

    const RegistryKey command(HKEY_CLASSES_ROOT, kProtocolCommandKey, KEY_ALL_ACCESS);
    if (!command) return;
    if (!command.SetString(L"", RegistryStringData(ProtocolCommand(launcherPath))))
        LOG(logging::Info) << "set reg failure: ";
    MarkAsUrlProtocol();
}

}  // namespace launcher
