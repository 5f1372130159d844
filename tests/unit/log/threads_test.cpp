// Lines logged from two threads at once never interleave.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "log/log.h"
#include "log_test_support.h"

namespace {

using logtest::CerrCapture;
using logtest::FixedClock;
using logtest::kMarch7th2026;
using logtest::TakeDebugOutput;

constexpr int kLinesPerThread = 1500;

std::string Body(char who, int i)
{
    // Long enough to take three debugger pieces.
    return std::string(1, who) + "-" + std::to_string(i) + "-" + std::string(600, who);
}

void StartTogether(std::atomic<int>& ready)
{
    ready.fetch_add(1);
    while (ready.load() < 2)
        std::this_thread::yield();
}

TEST(LogThreads, TwoThreadsThroughTheProgramLoggerNeverInterleave)
{
    FixedClock clock(kMarch7th2026);
    TakeDebugOutput();
    CerrCapture capture;
    std::atomic<int> ready{0};
    auto writer = [&ready](char who) {
        StartTogether(ready);
        for (int i = 0; i < kLinesPerThread; ++i)
            LOG(logging::Info) << Body(who, i);
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    const std::string header = "[PWX][I][2026-3-7 9:5:2] ";
    // Standard error: whole lines, each thread's in its own order.
    std::istringstream err(capture.text());
    std::string line;
    int next[2] = {0, 0};
    int lines = 0;
    while (std::getline(err, line)) {
        ++lines;
        ASSERT_GT(line.size(), header.size() + 1);
        const char who = line[header.size()];
        ASSERT_TRUE(who == 'a' || who == 'b') << line.substr(0, 60);
        ASSERT_EQ(line, header + Body(who, next[who - 'a']++));
    }
    EXPECT_EQ(lines, 2 * kLinesPerThread);

    // Debugger output: the same text, each line in consecutive pieces.
    const std::vector<std::string> pieces = TakeDebugOutput();
    std::string joined;
    for (const std::string& p : pieces) {
        const std::size_t newline = p.find('\n');
        ASSERT_TRUE(newline == std::string::npos ? p.size() == 256 : newline == p.size() - 1);
        joined += p;
    }
    EXPECT_EQ(joined, capture.text());
}

// A sink that writes one character at a time and lets other threads run in
// between: without the delivery lock, lines would mix.
class SlowSink : public logging::BaseLogger {
public:
    bool deliver(logging::LogData* record) override
    {
        for (char c : record->textView()) {
            text += c;
            std::this_thread::yield();
        }
        return true;
    }
    std::string text;
};

TEST(LogThreads, DeliveriesToASlowSinkAreSerialised)
{
    FixedClock clock(kMarch7th2026);
    SlowSink slow;
    logging::QxDbgLogger sink(&slow);
    logging::QxLogger logger({true, true, true});
    logger.addSink(&sink);

    std::atomic<int> ready{0};
    auto writer = [&](char who) {
        StartTogether(ready);
        for (int i = 0; i < 200; ++i)
            LOG_TO(&logger, logging::Debug) << std::string(40, who);
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    std::istringstream in(slow.text);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        const std::string body = line.substr(25);
        ASSERT_TRUE(body == std::string(40, 'a') || body == std::string(40, 'b')) << line;
    }
    EXPECT_EQ(lines, 400);
}

}  // namespace
