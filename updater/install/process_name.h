// How the updater recognises the client's processes by executable name.
#pragma once

#include <string_view>

// True when the executable file name equals name, letters a to z compared
// without regard to case. A byte of name above 127 never matches, so a
// name is matched only in its ASCII form.
bool ProcessNameMatches(std::string_view name, std::wstring_view exeFile);
