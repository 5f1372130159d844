#include "zlibdll/extract_zip_to_dir.h"

#include "archive/package_extract.h"

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int /*reserved*/)
{
    if (zipPath == nullptr || folder == nullptr) return ExtractZipBadArgument;
    // Nothing may escape into the caller's module.
    try {
        const PackageExtractResult result = ExtractPackage(zipPath, folder);
        if (!result.opened) return ExtractZipNotOpened;
        if (result.damaged) return ExtractZipDamaged;
        return result.failedEntries == 0 ? ExtractZipApplied : ExtractZipSomeEntriesFailed;
    } catch (...) {
        return ExtractZipInternalError;
    }
}
