// The program's logger: its sinks in order, the switches, and the rules for
// a sink that answers false or throws.
#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/log.h"
#include "log_test_support.h"

namespace {

using logging::QxDbgLogger;
using logging::QxFileLogger;
using logging::QxLogger;
using logging::QxStdLogger;

// A test sink: notes its name in a shared journal, then answers as told.
class ScriptedSink : public logging::BaseLogger {
public:
    enum Answer { True, False, Throw };

    ScriptedSink(std::string name, std::vector<std::string>* journal, Answer answer = True)
        : name_(std::move(name)), journal_(journal), answer_(answer)
    {
    }
    ~ScriptedSink() override { delete taken_; }

    bool deliver(logging::LogData* record) override
    {
        journal_->push_back(name_);
        switch (answer_) {
            case False:
                delete taken_;
                taken_ = record;  // this sink took the record: it frees it
                return false;
            case Throw:
                throw std::runtime_error("sink failed");
            case True:
                break;
        }
        return true;
    }

private:
    std::string name_;
    std::vector<std::string>* journal_;
    Answer answer_;
    logging::LogData* taken_ = nullptr;
};

const QxLogger::Switches kAllOn{true, true, true};

// Delivers one statement to `logger` and returns what the logger answered.
struct AnswerProbe : logging::BaseLogger {
    explicit AnswerProbe(logging::BaseLogger* inner) : inner(inner) {}
    bool deliver(logging::LogData* record) override
    {
        answer = inner->deliver(record);
        return answer;
    }
    logging::BaseLogger* inner;
    bool answer = false;
};

bool LogOnce(logging::BaseLogger* logger)
{
    AnswerProbe probe(logger);
    LOG_TO(&probe, logging::Info) << "m";
    return probe.answer;
}

TEST(LogDispatch, SinksAreCalledInTheOrderTheyWereAdded)
{
    std::vector<std::string> journal;
    ScriptedSink a("a", &journal), b("b", &journal), c("c", &journal), d("d", &journal);
    QxStdLogger sa(&a);
    QxDbgLogger sb(&b);
    QxStdLogger sc(&c);
    QxFileLogger sd(&d);
    QxLogger logger(kAllOn);
    logger.addSink(&sa);
    logger.addSink(&sb);
    logger.addSink(&sc);
    logger.addSink(&sd);
    EXPECT_TRUE(LogOnce(&logger));
    EXPECT_EQ(journal, std::vector<std::string>({"a", "b", "c", "d"}));
    EXPECT_EQ(logger.stdSink, &sc);
    EXPECT_EQ(logger.dbgSink, &sb);
    EXPECT_EQ(logger.fileSink, &sd);
}

TEST(LogDispatch, SwitchedOffKindsAreSkipped)
{
    std::vector<std::string> journal;
    ScriptedSink a("std", &journal), b("dbg", &journal), c("file", &journal);
    QxStdLogger sa(&a);
    QxDbgLogger sb(&b);
    QxFileLogger sc(&c);
    QxLogger logger(kAllOn);
    logger.addSink(&sa);
    logger.addSink(&sb);
    logger.addSink(&sc);

    const struct {
        QxLogger::Switches switches;
        std::vector<std::string> called;
    } cases[] = {
        {{true, true, true}, {"std", "dbg", "file"}},
        {{false, true, true}, {"dbg", "file"}},
        {{true, false, true}, {"std", "file"}},
        {{true, true, false}, {"std", "dbg"}},
        {{false, false, false}, {}},
    };
    for (const auto& c : cases) {
        journal.clear();
        logger.stdEnabled = c.switches.stdEnabled;
        logger.dbgEnabled = c.switches.dbgEnabled;
        logger.fileEnabled = c.switches.fileEnabled;
        EXPECT_TRUE(LogOnce(&logger));
        EXPECT_EQ(journal, c.called);
    }
}

TEST(LogDispatch, EmptyListAndNullEntriesAnswerTrue)
{
    QxLogger empty(kAllOn);
    EXPECT_TRUE(LogOnce(&empty));

    std::vector<std::string> journal;
    ScriptedSink a("a", &journal);
    QxDbgLogger sa(&a);
    QxLogger logger(kAllOn);
    logger.addSink(static_cast<QxStdLogger*>(nullptr));
    logger.addSink(&sa);
    logger.addSink(static_cast<QxFileLogger*>(nullptr));
    EXPECT_TRUE(LogOnce(&logger));
    EXPECT_EQ(journal, std::vector<std::string>({"a"}));
}

TEST(LogDispatch, SinkAnsweringFalseTakesTheRecordAndStopsTheDispatch)
{
    std::vector<std::string> journal;
    ScriptedSink a("a", &journal), b("b", &journal, ScriptedSink::False), c("c", &journal);
    QxDbgLogger sa(&a), sb(&b), sc(&c);
    QxLogger logger(kAllOn);
    logger.addSink(&sa);
    logger.addSink(&sb);
    logger.addSink(&sc);
    // The statement does not free the record: sink b frees it (ASan checks).
    EXPECT_FALSE(LogOnce(&logger));
    EXPECT_EQ(journal, std::vector<std::string>({"a", "b"}));
}

TEST(LogDispatch, SinkThatThrowsStopsTheDispatchWithTheAnswerSoFar)
{
    std::vector<std::string> journal;
    ScriptedSink a("a", &journal), b("b", &journal, ScriptedSink::Throw), c("c", &journal);
    QxStdLogger sa(&a);
    QxDbgLogger sb(&b);
    QxStdLogger sc(&c);
    QxLogger logger(kAllOn);
    logger.addSink(&sa);
    logger.addSink(&sb);
    logger.addSink(&sc);
    EXPECT_TRUE(LogOnce(&logger));
    EXPECT_EQ(journal, std::vector<std::string>({"a", "b"}));

    // The next statement is dispatched normally.
    journal.clear();
    EXPECT_TRUE(LogOnce(&logger));
    EXPECT_EQ(journal, std::vector<std::string>({"a", "b"}));
}

TEST(LogDispatch, ThrowingLoggerNeverReachesTheCaller)
{
    std::vector<std::string> journal;
    ScriptedSink thrower("t", &journal, ScriptedSink::Throw);
    EXPECT_NO_THROW(LOG_TO(&thrower, logging::Error) << "x");
    EXPECT_EQ(journal, std::vector<std::string>({"t"}));
}

TEST(LogFiltering, BelowThresholdIsNotPassedOn)
{
    std::vector<std::string> journal;
    ScriptedSink target("t", &journal, ScriptedSink::False);
    logging::FilteringLogger filter(logging::Warn, &target, false);
    {
        AnswerProbe probe(&filter);
        LOG_TO(&probe, logging::Info) << "quiet";
        EXPECT_TRUE(probe.answer);
        EXPECT_TRUE(journal.empty());
    }
    {
        AnswerProbe probe(&filter);
        LOG_TO(&probe, logging::Error) << "loud";
        EXPECT_FALSE(probe.answer);  // the target's answer
        EXPECT_EQ(journal, std::vector<std::string>({"t"}));
    }
}

TEST(LogFiltering, NoTargetAnswersFalse)
{
    logging::FilteringLogger filter(logging::Trace, nullptr, false);
    std::unique_ptr<logging::LogData> record(new logging::LogData(logging::Info, __FILE__, __LINE__, 0));
    EXPECT_FALSE(filter.deliver(record.get()));
}

TEST(LogFiltering, OwnedTargetIsDestroyedWithTheFilter)
{
    struct Counted : logging::BaseLogger {
        explicit Counted(int* destroyed) : destroyed(destroyed) {}
        ~Counted() override { ++*destroyed; }
        bool deliver(logging::LogData*) override { return true; }
        int* destroyed;
    };
    int destroyed = 0;
    {
        logging::FilteringLogger owning(logging::Trace, new Counted(&destroyed), true);
    }
    EXPECT_EQ(destroyed, 1);
    Counted kept(&destroyed);
    {
        logging::FilteringLogger borrowing(logging::Trace, &kept, false);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(LogProgramLogger, LauncherSettingsMakeDebuggerThenStdErrSinks)
{
    const QxLogger& logger = logging::theLogger;
    EXPECT_TRUE(logger.stdEnabled);
    EXPECT_TRUE(logger.dbgEnabled);
    EXPECT_TRUE(logger.fileEnabled);
    ASSERT_EQ(logger.sinks.size(), 2u);
    ASSERT_NE(std::any_cast<QxDbgLogger*>(&logger.sinks[0]), nullptr);
    ASSERT_NE(std::any_cast<QxStdLogger*>(&logger.sinks[1]), nullptr);
    EXPECT_EQ(std::any_cast<QxDbgLogger*>(logger.sinks[0]), logger.dbgSink);
    EXPECT_EQ(std::any_cast<QxStdLogger*>(logger.sinks[1]), logger.stdSink);
    EXPECT_EQ(logger.fileSink, nullptr);
    EXPECT_STREQ(logging::logTag, "PWX");
}

}  // namespace
