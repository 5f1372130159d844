// The test program's logger has the launcher's settings: every line goes to
// the debugger output, then to standard error.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "log/log.h"
#include "log/wide_text.h"
#include "log_test_support.h"

namespace {

using logtest::CerrCapture;
using logtest::FixedClock;
using logtest::kMarch7th2026;
using logtest::TakeDebugOutput;
using Pieces = std::vector<std::string>;

// Standard error for the test: notes what the debugger output had received
// by the time each block reached standard error.
class OrderProbe : public std::stringbuf {
public:
    std::vector<Pieces> debuggerBeforeEachWrite;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        debuggerBeforeEachWrite.push_back(TakeDebugOutput());
        return std::stringbuf::xsputn(s, n);
    }
};

TEST(LogProgramOutput, EachLineGoesToTheDebuggerThenToStandardError)
{
    FixedClock clock(kMarch7th2026);
    TakeDebugOutput();
    OrderProbe probe;
    {
        CerrCapture capture(&probe);
        LOG(logging::Info) << "install success";
    }
    const std::string line = "[PWX][I][2026-3-7 9:5:2] install success\n";
    EXPECT_EQ(probe.str(), line);
    ASSERT_EQ(probe.debuggerBeforeEachWrite.size(), 1u);  // one block on standard error
    EXPECT_EQ(probe.debuggerBeforeEachWrite[0], Pieces({line}));
    EXPECT_TRUE(TakeDebugOutput().empty());
}

TEST(LogProgramOutput, LongLineIsOneBlockOnStandardErrorAndPiecesOnTheDebugger)
{
    FixedClock clock(kMarch7th2026);
    TakeDebugOutput();
    CerrCapture capture;
    const std::string body(300 - 26, 'L');
    LOG(logging::Warn) << body;
    const std::string line = "[PWX][W][2026-3-7 9:5:2] " + body + "\n";
    ASSERT_EQ(line.size(), 300u);
    EXPECT_EQ(capture.text(), line);
    EXPECT_EQ(TakeDebugOutput(), Pieces({line.substr(0, 256), line.substr(256)}));
}

TEST(LogProgramOutput, WideTextIsConvertedInTheLine)
{
    FixedClock clock(kMarch7th2026);
    TakeDebugOutput();
    CerrCapture capture;
    const std::wstring params = L"tuvora://open?id=7";
    LOG(logging::Info) << "class path: " << L"tuvora.exe";
    LOG(logging::Info) << "par: " << params;
    EXPECT_EQ(capture.text(),
              "[PWX][I][2026-3-7 9:5:2] class path: tuvora.exe\n"
              "[PWX][I][2026-3-7 9:5:2] par: tuvora://open?id=7\n");
    TakeDebugOutput();
}

}  // namespace
