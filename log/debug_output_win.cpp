// The debugger output on Windows.
#include <windows.h>

#include <string>

#include "log/debug_output.h"

namespace logging {

void WriteDebugOutput(const std::string& text)
{
    OutputDebugStringA(text.c_str());
}

}  // namespace logging
