// The clock of log statements and its conversion to UTC.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ctime>
#include <random>

#include "log/log.h"
#include "log_test_support.h"

namespace {

void ExpectSameAsGmtime(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm expected{};
    ASSERT_NE(gmtime_r(&t, &expected), nullptr) << seconds;
    std::tm actual{};
    ASSERT_TRUE(logging::UtcFromSeconds(seconds, actual)) << seconds;
    EXPECT_EQ(actual.tm_year, expected.tm_year) << seconds;
    EXPECT_EQ(actual.tm_mon, expected.tm_mon) << seconds;
    EXPECT_EQ(actual.tm_mday, expected.tm_mday) << seconds;
    EXPECT_EQ(actual.tm_hour, expected.tm_hour) << seconds;
    EXPECT_EQ(actual.tm_min, expected.tm_min) << seconds;
    EXPECT_EQ(actual.tm_sec, expected.tm_sec) << seconds;
    EXPECT_EQ(actual.tm_wday, expected.tm_wday) << seconds;
    EXPECT_EQ(actual.tm_yday, expected.tm_yday) << seconds;
    EXPECT_EQ(actual.tm_isdst, 0) << seconds;
}

TEST(LogTime, March7th2026)
{
    std::tm tm{};
    ASSERT_TRUE(logging::UtcFromSeconds(logtest::kMarch7th2026, tm));
    EXPECT_EQ(tm.tm_year, 126);
    EXPECT_EQ(tm.tm_mon, 2);
    EXPECT_EQ(tm.tm_mday, 7);
    EXPECT_EQ(tm.tm_hour, 9);
    EXPECT_EQ(tm.tm_min, 5);
    EXPECT_EQ(tm.tm_sec, 2);
}

TEST(LogTime, AgreesWithTheCLibraryAtEdges)
{
    const std::int64_t edges[] = {
        0,
        1,
        -1,
        59,
        60,
        86399,
        86400,
        -86400,
        -86401,
        951782399,
        951782400,
        951868800,  // around 2000-02-29
        2147483647,
        2147483648LL,         // 32-bit time_t's end
        4107542400LL,         // 2100-03-01 (2100 is no leap year)
        -2208988800LL,        // 1900-01-01
        -62135596800LL,       // 0001-01-01
        -62167219200LL,       // 0000-01-01
        253402300799LL,       // 9999-12-31 23:59:59
        67768036191676799LL,  // the last second whose year fits tm_year
    };
    for (std::int64_t s : edges)
        ExpectSameAsGmtime(s);
}

TEST(LogTime, AgreesWithTheCLibraryOnRandomSeconds)
{
    std::mt19937_64 random(20260307);
    std::uniform_int_distribution<std::int64_t> wide(-400000LL * 365 * 86400, 400000LL * 365 * 86400);
    std::uniform_int_distribution<std::int64_t> near(-3000000000LL, 8000000000LL);
    for (int i = 0; i < 20000; ++i) {
        ExpectSameAsGmtime(wide(random));
        ExpectSameAsGmtime(near(random));
    }
}

TEST(LogTime, YearsBeyondTmYearAreClampedWithoutOverflow)
{
    std::tm tm{};
    EXPECT_FALSE(logging::UtcFromSeconds(INT64_MAX, tm));
    EXPECT_EQ(tm.tm_year, INT_MAX);
    EXPECT_EQ(tm.tm_mon, 11);  // 292277026596-12-04 15:30:07
    EXPECT_EQ(tm.tm_mday, 4);
    EXPECT_EQ(tm.tm_hour, 15);
    EXPECT_EQ(tm.tm_min, 30);
    EXPECT_EQ(tm.tm_sec, 7);
    EXPECT_FALSE(logging::UtcFromSeconds(INT64_MIN, tm));
    EXPECT_EQ(tm.tm_year, INT_MIN);
    EXPECT_FALSE(logging::UtcFromSeconds(67768036191676800LL, tm));
}

TEST(LogTime, ExtremeClockStillMakesALine)
{
    logtest::FixedClock clock(INT64_MAX);
    logtest::RecordingLogger sink;
    LOG_TO(&sink, logging::Info) << "m";
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], "[PWX][I][2147485547-12-4 15:30:7] m\n");
}

std::int64_t Seven()
{
    return 7;
}

TEST(LogTime, TimeSourceIsReplaceableAndRestorable)
{
    const logging::TimeSource real = logging::SetTimeSource(&Seven);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(logging::CurrentTime(), 7);
    EXPECT_EQ(logging::SetTimeSource(nullptr), &Seven);

    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t read = logging::CurrentTime();
    EXPECT_LE(now, read);
    EXPECT_LE(read, now + 5);
    EXPECT_EQ(logging::SetTimeSource(real), real);  // the real clock again
}

}  // namespace
