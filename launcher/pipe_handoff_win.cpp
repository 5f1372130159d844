#include "launcher/pipe_handoff_win.h"

#include <windows.h>

#include "common/client_names.h"
#include "common/unique_handle_win.h"
#include "launcher/exit_codes.h"
#include "launcher/pipe_message.h"
#include "log/log.h"

namespace launcher {

namespace {

// Characters the code page lacks become its default character.
std::string ToAnsiCodePage(const std::wstring& text)
{
    const int withZero = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (withZero <= 1) return std::string();
    std::string ansi(static_cast<std::string::size_type>(withZero), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], withZero, nullptr, nullptr);
    ansi.pop_back();
    return ansi;
}

}  // namespace

int HandOffLink(const std::wstring& tail)
{
    const std::string ansiTail = ToAnsiCodePage(tail);
    const std::optional<std::string> message = MakePipeMessage(ansiTail);
    if (!message) {
        LOG(logging::Error) << "link not handed over, " << ansiTail.size() + 1 << " bytes exceed the pipe's "
                            << kPipeMessageCapacity;
        return kExitLinkNotDelivered;
    }

    UniqueHandle pipe(CreateFileW(client::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!pipe) return kExitLinkNotDelivered;

    DWORD written = 0;
    WriteFile(pipe.Get(), message->data(), static_cast<DWORD>(message->size()), &written, nullptr);
    return kExitDone;
}

}  // namespace launcher
