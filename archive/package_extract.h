// Applying an update package to an installation folder so that a damaged
// package changes nothing.
//
// Every entry is first inflated into a staging folder beside the target and
// checked (CRC-32 and size) while it is written. Only when all entries have
// checked out are they moved into place: the old file is deleted first, and an
// entry whose old file cannot be replaced (in use, read-only) fails while the
// others still apply. Folder entries create folders; files get the entries'
// attributes and times. Entry names that would leave the target folder are
// refused and nothing is written for them. The staging folder (inside the
// target, so the moves stay on one volume) is removed before returning.
#pragma once

#include <string>

struct PackageExtractResult {
    bool opened = false;    // the archive could be read at all
    bool damaged = false;   // an entry failed its check (or could not be staged):
                            // no installed file changed
    int entryCount = 0;     // entries in the archive
    int failedEntries = 0;  // entries refused, unreadable or not put in place

    // The package was read, checked and every entry applied.
    bool ok() const { return opened && !damaged && failedEntries == 0; }
};

// zipPath names the package; targetFolder the folder it is applied to (with
// or without a trailing separator; created when missing). Both may be
// relative to the current directory. Never throws.
PackageExtractResult ExtractPackage(const std::wstring& zipPath, const std::wstring& targetFolder);
