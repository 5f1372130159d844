// The staged update, applied in the launcher's folder before the client
// starts.
#pragma once

namespace launcher {

// Clears the download's leftovers out of temp\ beside the launcher and moves
// a staged temp\update.zip next to the launcher.
void PrepareStagedUpdate();

// Applies update.zip in the current directory over that directory, then
// deletes it. A damaged package changes no installed file.
void ExtractUpdatePackage();

}  // namespace launcher
