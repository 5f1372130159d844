// The line a statement produces: header, message, newline, the 20000 cut.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "log/log.h"
#include "log_test_support.h"

namespace {

using logtest::FixedClock;
using logtest::kMarch7th2026;
using logtest::RecordingLogger;

const std::string kHeaderInfo = "[PWX][I][2026-3-7 9:5:2] ";

TEST(LogFormat, HeaderIsTagLetterAndUtcTimeWithoutPadding)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    LOG_TO(&sink, logging::Info) << "install success";
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], "[PWX][I][2026-3-7 9:5:2] install success\n");
}

TEST(LogFormat, TimeZoneInTzDoesNotChangeTheTime)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    for (const char* zone : {"CST-8", "EST5EDT", "Asia/Shanghai", "America/New_York"}) {
        ASSERT_EQ(setenv("TZ", zone, 1), 0);
        tzset();
        FixedClock clock(kMarch7th2026);
        RecordingLogger sink;
        LOG_TO(&sink, logging::Info) << "x";
        ASSERT_EQ(sink.lines.size(), 1u);
        EXPECT_EQ(sink.lines[0], kHeaderInfo + "x\n") << zone;
    }
    if (old != nullptr) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(LogFormat, NumbersOfTheTimeAreUnpadded)
{
    struct Case {
        std::int64_t seconds;
        const char* shown;
    };
    const Case cases[] = {
        {0, "1970-1-1 0:0:0"},          {946684800, "2000-1-1 0:0:0"},
        {951782400, "2000-2-29 0:0:0"}, {4102444799, "2099-12-31 23:59:59"},
        {-1, "1969-12-31 23:59:59"},    {253402300799, "9999-12-31 23:59:59"},
    };
    for (const Case& c : cases) {
        FixedClock clock(c.seconds);
        RecordingLogger sink;
        LOG_TO(&sink, logging::Debug) << "m";
        ASSERT_EQ(sink.lines.size(), 1u);
        EXPECT_EQ(sink.lines[0], std::string("[PWX][D][") + c.shown + "] m\n") << c.seconds;
    }
}

TEST(LogFormat, EachLevelHasItsLetterAndOtherValuesPrintO)
{
    FixedClock clock(kMarch7th2026);
    const struct {
        int level;
        const char* letter;
    } cases[] = {{logging::Trace, "T"},
                 {logging::Debug, "D"},
                 {logging::Info, "I"},
                 {logging::Warn, "W"},
                 {logging::Error, "E"},
                 {logging::Fatal, "F"},
                 {6, "O"},
                 {-1, "O"},
                 {1000, "O"}};
    for (const auto& c : cases) {
        RecordingLogger sink;
        LOG_TO(&sink, c.level) << "m";
        ASSERT_EQ(sink.lines.size(), 1u);
        EXPECT_EQ(sink.lines[0], std::string("[PWX][") + c.letter + "][2026-3-7 9:5:2] m\n") << c.level;
    }
}

TEST(LogFormat, EmptyMessageIsHeaderAndNewline)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    LOG_TO(&sink, logging::Info);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], kHeaderInfo + "\n");
}

TEST(LogFormat, MessageEndingInNewlineGetsNoSecondOne)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    LOG_TO(&sink, logging::Info) << "done\n";
    LOG_TO(&sink, logging::Info) << "two\n\n";
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0], kHeaderInfo + "done\n");
    EXPECT_EQ(sink.lines[1], kHeaderInfo + "two\n\n");
}

TEST(LogFormat, InsertionsKeepTheirStreamForm)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    const std::string text = "C:\\A\\temp\\update.zip";
    LOG_TO(&sink, logging::Trace) << "zipPath: " << text << " size " << 1234567 << ' ' << -5 << ' ' << 2.5;
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0],
              "[PWX][T][2026-3-7 9:5:2] zipPath: C:\\A\\temp\\update.zip size 1234567 -5 2.5\n");
}

TEST(LogFormat, QuotedPathPutsAnAmpersandBeforeQuotesAndAmpersands)
{
    EXPECT_EQ(logging::QuotedPath("C:\\A\\temp\\update.zip"), "\"C:\\A\\temp\\update.zip\"");
    EXPECT_EQ(logging::QuotedPath("C:\\a\"b&c"), "\"C:\\a&\"b&&c\"");
    EXPECT_EQ(logging::QuotedPath(""), "\"\"");
}

// ---- The 20000-character record -------------------------------------------

TEST(LogRecord, TextFillingTheAreaIsCutTo19999AndNewline)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    const std::size_t room = logging::LogData::kTextSize - kHeaderInfo.size();
    const std::string body(room, 'x');
    LOG_TO(&sink, logging::Info) << body << "lost" << 42 << std::string(100, 'y');
    ASSERT_EQ(sink.lines.size(), 1u);
    const std::string& line = sink.lines[0];
    ASSERT_EQ(line.size(), 20000u);
    EXPECT_EQ(line, kHeaderInfo + body.substr(0, room - 1) + "\n");
}

TEST(LogRecord, InsertionBeyondTheAreaIsLostAndTheLineIsCut)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    const std::string body(30000, 'z');
    LOG_TO(&sink, logging::Info) << body << "tail";
    ASSERT_EQ(sink.lines.size(), 1u);
    const std::string& line = sink.lines[0];
    ASSERT_EQ(line.size(), 20000u);
    EXPECT_EQ(line.substr(0, kHeaderInfo.size()), kHeaderInfo);
    EXPECT_EQ(line.find_first_not_of('z', kHeaderInfo.size()), 19999u);
    EXPECT_EQ(line.back(), '\n');
}

TEST(LogRecord, TextOf19999CharactersGetsItsNewline)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    const std::string body(19999 - kHeaderInfo.size(), 'x');
    LOG_TO(&sink, logging::Info) << body;
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], kHeaderInfo + body + "\n");
}

TEST(LogRecord, FullAreaEndingInNewlineIsKept)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    const std::string body = std::string(20000 - kHeaderInfo.size() - 1, 'x') + "\n";
    LOG_TO(&sink, logging::Info) << body;
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], kHeaderInfo + body);
}

TEST(LogRecord, RecordKnowsLevelLineSourceAndTime)
{
    FixedClock clock(kMarch7th2026);
    struct Inspect : logging::BaseLogger {
        bool deliver(logging::LogData* record) override
        {
            level = record->level;
            line = record->line;
            path = record->sourcePath;
            name = record->sourceName;
            time = record->time;
            nul = record->text[record->textLength()];
            return true;
        }
        int level = -1, line = -1;
        std::string path, name;
        std::int64_t time = 0;
        char nul = 'x';
    } sink;
    const int line = __LINE__ + 1;
    LOG_TO(&sink, logging::Warn) << "w";
    EXPECT_EQ(sink.level, logging::Warn);
    EXPECT_EQ(sink.line, line);
    EXPECT_EQ(sink.path, __FILE__);
    EXPECT_EQ(sink.name, "format_test.cpp");
    EXPECT_EQ(sink.time, kMarch7th2026);
    EXPECT_EQ(sink.nul, '\0');
}

TEST(LogRecord, FatalIsDeliveredAndTheProgramGoesOn)
{
    FixedClock clock(kMarch7th2026);
    RecordingLogger sink;
    LOG_TO(&sink, logging::Fatal) << "bad";
    LOG_TO(&sink, logging::Info) << "after";
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0], "[PWX][F][2026-3-7 9:5:2] bad\n");
    EXPECT_EQ(sink.lines[1], kHeaderInfo + "after\n");
}

TEST(LogRecord, StatementWithoutLoggerFreesItsRecord)
{
    LOG_TO(nullptr, logging::Info) << "nowhere";  // ASan reports a leak if not freed
}

// ---- The base header --------------------------------------------------------

// A record made with the base header form.
std::string BaseLine(const char* file, int line, int level, const char* message)
{
    RecordingLogger sink;
    logging::LogMessage(file, line, level, &sink).getStream() << message;
    return sink.lines.empty() ? std::string("(nothing)") : sink.lines[0];
}

TEST(LogBaseHeader, LongNamePaddedToFiveThenFileAndLine)
{
    EXPECT_EQ(BaseLine("src/log/file.cpp", 12, logging::Info, "x"), "INFO  - file.cpp(12): x\n");
    EXPECT_EQ(BaseLine("file.cpp", 7, logging::Error, ""), "ERROR - file.cpp(7): \n");
    EXPECT_EQ(BaseLine("C:\\src\\main.cpp", 3, 9, "y"), "OTHER - main.cpp(3): y\n");
    EXPECT_EQ(BaseLine("a\\b/c.cpp", 1, logging::Warn, ""), "WARN  - c.cpp(1): \n");
    EXPECT_EQ(BaseLine("a/b\\c.cpp", 1, logging::Warn, ""), "WARN  - b\\c.cpp(1): \n");
}

}  // namespace
