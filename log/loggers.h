// The loggers: sinks that write a record's line somewhere, the filter that
// wraps them, and QxLogger, the program's logger that dispatches each record
// to its sinks in the order they were added. Included by log/log.h.
#pragma once

#include <any>
#include <initializer_list>
#include <ostream>
#include <vector>

#include "log/debug_stream.h"

namespace logging {

struct LogData;

class BaseLogger {
public:
    BaseLogger() = default;
    BaseLogger(const BaseLogger&) = delete;
    BaseLogger& operator=(const BaseLogger&) = delete;

    // Returns true when the caller is to free the record, false when this
    // logger has taken it.
    virtual bool deliver(LogData* record) = 0;
    virtual ~BaseLogger();
};

// Writes the record's text to a stream as one block and flushes the stream.
class OstreamLogger : public BaseLogger {
public:
    explicit OstreamLogger(std::ostream* out) noexcept : out(out) {}
    bool deliver(LogData* record) override;

protected:
    std::ostream* out;
};

// Writes to the debugger output (OutputDebugStringA on Windows).
class OutputDebugStringLogger : public OstreamLogger {
public:
    OutputDebugStringLogger();

private:
    outputdebug_stream<char> debugStream;
};

// Writes to standard error (std::cerr).
class StdErrLogger : public OstreamLogger {
public:
    StdErrLogger();
};

// Passes on records at or above a threshold level to a target.
class FilteringLogger : public BaseLogger {
public:
    FilteringLogger(int threshold, BaseLogger* target, bool ownsTarget) noexcept
        : threshold(threshold), target(target), ownsTarget(ownsTarget)
    {
    }
    ~FilteringLogger() override;

    // Below the threshold: not passed on, true. Otherwise the target's
    // answer, or false when there is no target.
    bool deliver(LogData* record) override;

protected:
    int threshold;
    BaseLogger* target;
    bool ownsTarget;
};

class QxFilteringLogger : public FilteringLogger {
public:
    using FilteringLogger::FilteringLogger;
};

// The debugger-output sink: every level, to a new OutputDebugStringLogger.
class QxDbgLogger : public QxFilteringLogger {
public:
    QxDbgLogger();
    // Every level, to the given target (not owned); for tests.
    explicit QxDbgLogger(BaseLogger* target) noexcept : QxFilteringLogger(0, target, false) {}
};

// The standard-error sink: every level, to a new StdErrLogger.
class QxStdLogger : public QxFilteringLogger {
public:
    QxStdLogger();
    // Every level, to the given target (not owned); for tests.
    explicit QxStdLogger(BaseLogger* target) noexcept : QxFilteringLogger(0, target, false) {}
};

// The file sink kind. QxLogger recognises it and has a switch for it, but
// neither program creates one: no log file is written.
class QxFileLogger : public QxFilteringLogger {
public:
    // Every level, to the given target (not owned).
    explicit QxFileLogger(BaseLogger* target) noexcept : QxFilteringLogger(0, target, false) {}
};

// Sinks that QxLogger's constructor can create.
enum class SinkKind { StdErr, Debugger };

// The program's logger. Dispatch: each entry of `sinks`, in order, whose
// kind is switched on is delivered the record, until one returns false or
// throws; the result is the last answer (true for an empty list).
// Deliveries from all threads are serialised by one process-wide lock.
// The sinks are never destroyed (they live until the process ends).
class QxLogger : public BaseLogger {
public:
    struct Switches {
        bool stdEnabled;
        bool dbgEnabled;
        bool fileEnabled;
    };

    // Sets the switches and creates the sinks in the order given.
    QxLogger(Switches switches, std::initializer_list<SinkKind> create) noexcept;
    // An empty sink list (sinks are then added with addSink).
    explicit QxLogger(Switches switches) noexcept : QxLogger(switches, {}) {}
    ~QxLogger() override;

    bool deliver(LogData* record) override;

    // Appends an entry (the sink is not owned) and sets the matching field.
    void addSink(QxStdLogger* sink);
    void addSink(QxDbgLogger* sink);
    void addSink(QxFileLogger* sink);

    QxStdLogger* stdSink = nullptr;
    QxDbgLogger* dbgSink = nullptr;
    QxFileLogger* fileSink = nullptr;
    // Set at construction; tests may change them while nothing logs.
    bool stdEnabled;
    bool dbgEnabled;
    bool fileEnabled;
    // Each entry holds a QxStdLogger*, QxDbgLogger* or QxFileLogger*.
    std::vector<std::any> sinks;

private:
    bool dispatch(LogData* record) noexcept;
};

}  // namespace logging
