// Taking a package that the updater staged out of the installation's staging
// folder, after clearing away what a download leaves there.
#pragma once

#include <string>

namespace launcher {

// The file operations the staging step needs; paths are absolute.
class StagingFiles {
public:
    virtual ~StagingFiles() = default;
    virtual bool Exists(const std::wstring& path) = 0;
    // A missing file or one that cannot be deleted gives false.
    virtual bool Remove(const std::wstring& path) = 0;
    // Replaces `to` when it exists; false when nothing was copied.
    virtual bool Copy(const std::wstring& from, const std::wstring& to) = 0;
};

// exeFolder: the launcher's folder with its trailing '\'. Deletes the
// updater and the download's leftovers in temp\, then moves
// temp\update.zip to update.zip in exeFolder. When the copy fails the staged
// package stays where it is, so the next start can try again.
void PrepareStagedUpdate(const std::wstring& exeFolder, StagingFiles& files);

}  // namespace launcher
