// Process-wide settings of the UI framework: the module whose resources it
// reads and the folder it resolves resource files against.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

void SetInstance(HINSTANCE instance);
HINSTANCE GetInstance();

void SetResourcePath(const std::wstring& folder);
const std::wstring& GetResourcePath();

}  // namespace ui
