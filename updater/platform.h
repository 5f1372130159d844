// The few operating-system services the updater's portable core needs.
// platform_win.cpp implements them with Win32, platform_posix.cpp natively.
#pragma once

#include <string>

// Folder of the running executable, up to and including its last path
// separator (a backslash on Windows, '/' natively). Empty when the path
// cannot be obtained or holds no separator.
std::wstring GetModuleDir();

// Converts to the calling thread's ANSI code page; characters the code page
// cannot represent become its default character. Natively: characters below
// 0x80 stay as they are, every other one becomes '?'.
std::string WideToThreadAnsi(const std::wstring& text);
