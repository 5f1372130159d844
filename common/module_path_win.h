// The full path of a module of this process, however long.
#pragma once

#include <windows.h>

#include <string>

// nullptr: the program's executable. Empty on failure, with GetLastError's
// code in *error when given.
std::wstring ModulePath(HMODULE module, DWORD* error = nullptr);
