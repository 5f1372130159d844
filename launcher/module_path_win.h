// The launcher's own folder, from the module file name.
#pragma once

#include <string>

#include "common/module_path_win.h"

namespace launcher {

// The program's folder up to and including its last '\'. False when the path
// is not available or holds no '\'.
bool GetExeFolder(std::wstring& folder);

}  // namespace launcher
