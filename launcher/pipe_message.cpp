#include "launcher/pipe_message.h"

namespace launcher {

std::optional<std::string> MakePipeMessage(const std::string& ansiTail)
{
    if (ansiTail.size() + 1 > kPipeMessageCapacity) return std::nullopt;
    std::string message = ansiTail;
    message.push_back('\0');
    return message;
}

}  // namespace launcher
