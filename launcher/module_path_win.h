// The launcher's own path and folder, from the module file name.
#pragma once

#include <windows.h>

#include <string>

namespace launcher {

// Full path of a module (nullptr: the program's executable), however long.
// Empty on failure, with GetLastError's code in *error when given.
std::wstring ModulePath(HMODULE module, DWORD* error = nullptr);

// The program's folder up to and including its last '\'. False when the path
// is not available or holds no '\'.
bool GetExeFolder(std::wstring& folder);

}  // namespace launcher
