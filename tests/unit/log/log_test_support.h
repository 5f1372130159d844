// Helpers shared by the logging tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/debug_output_capture.h"
#include "log/log.h"

namespace logtest {

// 2026-03-07 09:05:02 UTC.
constexpr std::int64_t kMarch7th2026 = 1772874302;

// Fixes the clock of log statements while it lives.
class FixedClock {
public:
    explicit FixedClock(std::int64_t seconds)
    {
        Now().store(seconds);
        previous_ = logging::SetTimeSource(&Read);
    }
    ~FixedClock() { logging::SetTimeSource(previous_); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

private:
    static std::atomic<std::int64_t>& Now()
    {
        static std::atomic<std::int64_t> now{0};
        return now;
    }
    static std::int64_t Read() { return Now().load(); }

    logging::TimeSource previous_;
};

// Sends std::cerr into a string while it lives.
class CerrCapture {
public:
    explicit CerrCapture(std::streambuf* target = nullptr)
        : previous_(std::cerr.rdbuf(target != nullptr ? target : &buffer_))
    {
    }
    ~CerrCapture() { std::cerr.rdbuf(previous_); }
    CerrCapture(const CerrCapture&) = delete;
    CerrCapture& operator=(const CerrCapture&) = delete;

    std::string text() const { return buffer_.str(); }

private:
    std::stringbuf buffer_;
    std::streambuf* previous_;
};

// A sink for tests: keeps the text of every record it is given.
class RecordingLogger : public logging::BaseLogger {
public:
    bool deliver(logging::LogData* record) override
    {
        lines.emplace_back(record->textView());
        levels.push_back(record->level);
        return true;
    }

    std::vector<std::string> lines;
    std::vector<int> levels;
};

// The strings the debugger output received so far (and forgets them).
inline std::vector<std::string> TakeDebugOutput()
{
    return logging::TakeDebugOutput();
}

}  // namespace logtest
