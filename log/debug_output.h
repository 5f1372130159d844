// The debugger output: one string per call. On Windows this is
// OutputDebugStringA; the native build records the strings in memory instead
// (see log/debug_output_capture.h).
#pragma once

#include <string>

namespace logging {

void WriteDebugOutput(const std::string& text);

}  // namespace logging
