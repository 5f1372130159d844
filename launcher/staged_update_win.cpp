#include "launcher/staged_update_win.h"

#include <windows.h>

#include <string>

#include "archive/package_extract.h"
#include "common/client_names.h"
#include "launcher/module_path_win.h"
#include "launcher/staged_update.h"

namespace launcher {

namespace {

class WinStagingFiles : public StagingFiles {
public:
    bool Exists(const std::wstring& path) override
    {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool Remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != FALSE; }
    bool Copy(const std::wstring& from, const std::wstring& to) override
    {
        return CopyFileW(from.c_str(), to.c_str(), /*failIfExists*/ FALSE) != FALSE;
    }
};

}  // namespace

void PrepareStagedUpdate()
{
    std::wstring folder;
    if (!GetExeFolder(folder)) return;
    WinStagingFiles files;
    PrepareStagedUpdate(folder, files);
}

void ExtractUpdatePackage()
{
    const wchar_t* package = client::kStagedPackage;
    if (GetFileAttributesW(package) == INVALID_FILE_ATTRIBUTES) return;
    ExtractPackage(package, L".");
    // Also a package that could not be read: it would fail the same way at
    // every start.
    DeleteFileW(package);
}

}  // namespace launcher
