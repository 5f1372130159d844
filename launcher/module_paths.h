// Folders derived from the launcher's own module path (Windows path rules:
// '\' and '/' separate, "C:" and "\\server" are root names).
#pragma once

#include <string>

namespace launcher {

// The path without its last element and the separators before it; a root
// keeps its separator: C:\X\TVRLaunch.exe -> C:\X, C:\TVRLaunch.exe -> C:\,
// \\srv\share\TVRLaunch.exe -> \\srv\share, TVRLaunch.exe -> "".
std::wstring ParentFolder(const std::wstring& path);

// The path up to and including its last '\'; empty when it has none.
std::wstring FolderWithSeparator(const std::wstring& path);

}  // namespace launcher
