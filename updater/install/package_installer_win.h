// Extracts the package into the installation through ExtractZipToDir, the
// export of the zlib.dll that lies beside the updater.
#pragma once

#include <string>

enum class InstallResult {
    Installed,         // the extraction reported every entry in place
    FolderNotCreated,  // the target folder could not be created
    ExtractorMissing,  // zlib.dll or its export could not be loaded
    ExtractionFailed,  // the extraction reported a failure (logged)
};

class PackageInstaller {
public:
    PackageInstaller(std::wstring packagePath, std::wstring targetFolder, std::wstring libraryPath);

    // Creates the target folder, pauses 500 ms, then extracts once.
    InstallResult Install() const;

    const std::wstring& PackagePath() const { return packagePath_; }
    const std::wstring& TargetFolder() const { return targetFolder_; }

private:
    std::wstring packagePath_;
    std::wstring targetFolder_;
    std::wstring libraryPath_;
};
