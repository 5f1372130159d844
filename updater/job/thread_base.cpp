#include "updater/job/thread_base.h"

ThreadBase::~ThreadBase()
{
    Join();
}

void ThreadBase::Start()
{
    std::lock_guard<std::mutex> lock(startLock_);
    if (started_) return;
    started_ = true;
    running_.store(true);
    thread_ = std::thread([this] {
        ThreadMain();
        running_.store(false);
    });
}

void ThreadBase::Join()
{
    std::lock_guard<std::mutex> lock(startLock_);
    if (!thread_.joinable()) return;
    // A thread cannot wait for itself.
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}
