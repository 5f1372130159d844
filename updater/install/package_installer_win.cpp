#include "updater/install/package_installer_win.h"

#include <windows.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "log/log.h"
#include "updater/text_convert.h"

namespace {

constexpr DWORD kPauseBeforeExtractMs = 500;
constexpr char kExtractExport[] = "ExtractZipToDir";
using ExtractZipToDirFunction = int(__cdecl*)(const wchar_t* zipPath, const wchar_t* folder, int reserved);

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::wstring& path)
        : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
    {
    }
    ~LoadedLibrary()
    {
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

}  // namespace

PackageInstaller::PackageInstaller(std::wstring packagePath, std::wstring targetFolder,
                                   std::wstring libraryPath)
    : packagePath_(std::move(packagePath)),
      targetFolder_(std::move(targetFolder)),
      libraryPath_(std::move(libraryPath))
{
}

InstallResult PackageInstaller::Install() const
{
    std::error_code error;
    std::filesystem::create_directories(targetFolder_, error);
    if (error) {
        LOG(logging::Warn) << "cannot create folder " << WideToMultiByte(targetFolder_) << ": "
                           << error.value();
        return InstallResult::FolderNotCreated;
    }
    Sleep(kPauseBeforeExtractMs);

    const LoadedLibrary library(libraryPath_);
    if (!library.Get()) {
        LOG(logging::Error) << "cannot load " << WideToMultiByte(libraryPath_) << ": error "
                            << GetLastError();
        return InstallResult::ExtractorMissing;
    }
    const auto extract = reinterpret_cast<ExtractZipToDirFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), kExtractExport)));
    if (!extract) {
        LOG(logging::Error) << WideToMultiByte(libraryPath_) << " has no " << kExtractExport;
        return InstallResult::ExtractorMissing;
    }
    const int result = extract(packagePath_.c_str(), targetFolder_.c_str(), 0);
    LOG(logging::Info) << kExtractExport << " returned " << result;
    return result == 0 ? InstallResult::Installed : InstallResult::ExtractionFailed;
}
