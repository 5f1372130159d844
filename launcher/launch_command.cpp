#include "launcher/launch_command.h"

namespace launcher {

LaunchCommand ParseLaunchCommand(const std::wstring& commandLine)
{
    LaunchCommand command;
    const std::wstring prefix = kSchemePrefix;
    const std::wstring::size_type at = commandLine.find(prefix);
    if (at == std::wstring::npos) {
        command.parameters = commandLine;
        return command;
    }
    command.hasLink = true;
    command.tail = commandLine.substr(at + prefix.size());
    command.parameters = command.tail;
    return command;
}

}  // namespace launcher
