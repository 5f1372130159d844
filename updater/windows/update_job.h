// The package job as the progress window uses it: the window polls its
// progress and success once a second and asks it to install.
#pragma once

#include <cstdint>

struct JobProgress {
    std::int64_t bytesDone = 0;
    std::int64_t totalSize = 0;
};

class UpdateJob {
public:
    virtual ~UpdateJob() = default;
    // A consistent snapshot, taken under the job's progress lock.
    virtual JobProgress Progress() const = 0;
    // Set once the package has arrived and checked out; safe from any thread.
    virtual bool Succeeded() const = 0;
    // Runs on the window's thread; returns when the install step is over.
    virtual void DoInstall() = 0;
};
