// Native build only (tests): the strings passed to WriteDebugOutput are kept
// in memory, in order, so tests can read them back. Thread-safe.
#pragma once

#include <string>
#include <vector>

namespace logging {

// Returns the strings written since the last call, oldest first, and forgets
// them. At most the newest 65536 strings are kept.
std::vector<std::string> TakeDebugOutput();

}  // namespace logging
