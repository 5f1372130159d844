// The updater's logger (updater/log_setup.cpp): tag "KMX", one debugger sink.
#include <gtest/gtest.h>

#include <any>
#include <string>
#include <vector>

#include "log/log.h"
#include "log_test_support.h"

namespace {

TEST(LogUpdaterSettings, TagAndSinks)
{
    const logging::QxLogger& logger = logging::theLogger;
    EXPECT_STREQ(logging::logTag, "KMX");
    EXPECT_TRUE(logger.stdEnabled);
    EXPECT_TRUE(logger.dbgEnabled);
    EXPECT_FALSE(logger.fileEnabled);
    ASSERT_EQ(logger.sinks.size(), 1u);
    ASSERT_NE(std::any_cast<logging::QxDbgLogger*>(&logger.sinks[0]), nullptr);
    EXPECT_EQ(std::any_cast<logging::QxDbgLogger*>(logger.sinks[0]), logger.dbgSink);
    EXPECT_EQ(logger.stdSink, nullptr);
    EXPECT_EQ(logger.fileSink, nullptr);
}

TEST(LogUpdaterSettings, LinesGoToTheDebuggerOnly)
{
    logtest::FixedClock clock(logtest::kMarch7th2026);
    logtest::TakeDebugOutput();
    logtest::CerrCapture capture;
    LOG(logging::Info) << "install success";
    EXPECT_EQ(logtest::TakeDebugOutput(),
              std::vector<std::string>({"[KMX][I][2026-3-7 9:5:2] install success\n"}));
    EXPECT_EQ(capture.text(), "");
}

}  // namespace
