#include "launcher/module_paths.h"

namespace launcher {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Length of the root name ("C:", "\\server") plus a root separator after it.
std::wstring::size_type RootLength(const std::wstring& path)
{
    std::wstring::size_type name = 0;
    if (path.size() >= 2 && path[1] == L':') {
        name = 2;
    } else if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
        name = 2;
        while (name < path.size() && !IsSeparator(path[name]))
            ++name;
    }
    if (name < path.size() && IsSeparator(path[name])) return name + 1;
    return name;
}

}  // namespace

std::wstring ParentFolder(const std::wstring& path)
{
    const std::wstring::size_type root = RootLength(path);
    std::wstring::size_type end = path.size();
    while (end > root && !IsSeparator(path[end - 1]))
        --end;  // drop the last element
    while (end > root && IsSeparator(path[end - 1]))
        --end;  // and the separators before it
    return path.substr(0, end);
}

std::wstring FolderWithSeparator(const std::wstring& path)
{
    const std::wstring::size_type last = path.rfind(L'\\');
    if (last == std::wstring::npos) return std::wstring();
    return path.substr(0, last + 1);
}

}  // namespace launcher
