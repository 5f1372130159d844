// One worker thread owned by an object. A derived class makes ThreadMain
// return and calls Join in its own destructor, before its members go.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class ThreadBase {
public:
    ThreadBase() = default;
    virtual ~ThreadBase();
    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    // Starts ThreadMain on the first call; later calls start nothing.
    void Start();
    // True once started and until ThreadMain has returned.
    bool Running() const { return running_.load(); }

protected:
    virtual void ThreadMain() = 0;
    // Waits for ThreadMain to return; nothing when never started.
    void Join();

private:
    std::mutex startLock_;
    bool started_ = false;
    std::thread thread_;  // its id and native handle identify the thread
    std::atomic<bool> running_{false};
};
