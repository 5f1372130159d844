#include "launcher/module_path_win.h"

#include "common/module_path_win.h"
#include "launcher/module_paths.h"

namespace launcher {

bool GetExeFolder(std::wstring& folder)
{
    folder = FolderWithSeparator(ModulePath(nullptr));
    return !folder.empty();
}

}  // namespace launcher
