#include "ui/ui_app_win.h"

namespace ui {
namespace {

// Set once on the main thread before any window exists.
HINSTANCE g_instance = nullptr;
std::wstring& ResourcePath()
{
    static std::wstring path;
    return path;
}

}  // namespace

void SetInstance(HINSTANCE instance)
{
    g_instance = instance;
}
HINSTANCE GetInstance()
{
    return g_instance;
}

void SetResourcePath(const std::wstring& folder)
{
    ResourcePath() = folder;
}
const std::wstring& GetResourcePath()
{
    return ResourcePath();
}

}  // namespace ui
