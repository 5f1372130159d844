// The one export of zlib.dll, which the updater loads by name to apply a
// package in a forced installation.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Result of ExtractZipToDir.
enum ExtractZipResult {
    ExtractZipApplied = 0,            // every entry is in place
    ExtractZipNotOpened = 1,          // not a readable zip archive; nothing changed
    ExtractZipDamaged = 2,            // an entry failed its check; nothing changed
    ExtractZipSomeEntriesFailed = 3,  // the others are in place
    ExtractZipBadArgument = 4,        // a null path
    ExtractZipInternalError = 5,      // out of memory or the like; state unknown
};

// Applies the package at zipPath to folder: every entry is checked before
// any file there changes (see archive/package_extract.h). reserved must be 0
// and is otherwise ignored. C calling convention.
__declspec(dllexport) int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder,
                                                  int reserved);

#ifdef __cplusplus
}
#endif
