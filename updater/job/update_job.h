// The package job as the progress window uses it: the window polls its
// progress and success once a second, asks it to install, and stops it
// before letting it go.
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
    // Asks the job's thread to end soon: a running transfer is stopped and
    // no callback is made after the current one returns. Any thread.
    virtual void RequestStop() = 0;
    // True when the job's thread is not running (never started, or ended).
    virtual bool Stopped() const = 0;
};
