#include "log/loggers.h"

#include <iostream>
#include <mutex>

#include "log/log.h"

namespace logging {

namespace {

// Serialises every QxLogger's deliveries (and changes to its list), so the
// lines of several threads never interleave in a sink. Constant-initialised,
// so it is usable during static initialisation.
std::mutex deliveryLock;
// Set while this thread holds deliveryLock: a sink that logs (or adds a
// sink) from inside a delivery goes on without taking the lock again.
thread_local bool delivering = false;

// Holds deliveryLock for a scope unless this thread already holds it.
class DeliveryScope {
public:
    DeliveryScope()
    {
        if (!delivering) {
            deliveryLock.lock();
            delivering = true;
            owner_ = true;
        }
    }
    ~DeliveryScope()
    {
        if (owner_) {
            delivering = false;
            deliveryLock.unlock();
        }
    }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;

private:
    bool owner_ = false;
};

}  // namespace

BaseLogger::~BaseLogger() = default;

bool OstreamLogger::deliver(LogData* record)
{
    if (record == nullptr) return true;
    const std::size_t length = record->textLength();
    record->text[length] = '\0';
    if (out == nullptr) return true;
    if (!out->good()) out->clear();  // one failed write does not silence the sink for good
    out->write(record->text, static_cast<std::streamsize>(length));
    out->flush();
    return true;
}

OutputDebugStringLogger::OutputDebugStringLogger() : OstreamLogger(nullptr)
{
    out = &debugStream;
}

StdErrLogger::StdErrLogger() : OstreamLogger(&std::cerr) {}

FilteringLogger::~FilteringLogger()
{
    if (ownsTarget) delete target;
}

bool FilteringLogger::deliver(LogData* record)
{
    if (record != nullptr && record->level < threshold) return true;
    if (target == nullptr) return false;
    return target->deliver(record);
}

QxDbgLogger::QxDbgLogger() : QxFilteringLogger(Trace, new OutputDebugStringLogger, false) {}

QxStdLogger::QxStdLogger() : QxFilteringLogger(Trace, new StdErrLogger, false) {}

QxLogger::QxLogger(Switches switches, std::initializer_list<SinkKind> create) noexcept
    : stdEnabled(switches.stdEnabled), dbgEnabled(switches.dbgEnabled), fileEnabled(switches.fileEnabled)
{
    for (SinkKind kind : create) {
        try {
            switch (kind) {
                case SinkKind::StdErr:
                    addSink(new QxStdLogger);
                    break;
                case SinkKind::Debugger:
                    addSink(new QxDbgLogger);
                    break;
            }
        } catch (...) {
            // Out of memory while the program starts: that sink is missing.
        }
    }
}

QxLogger::~QxLogger()
{
    // The list goes; the sinks stay (they live until the process ends).
    // What remains is an empty list, so a statement made after this
    // destructor (from another static destructor) reaches no sink.
    std::vector<std::any> gone;
    try {
        DeliveryScope hold;
        gone.swap(sinks);
    } catch (...) {
        gone.swap(sinks);
    }
}

void QxLogger::addSink(QxStdLogger* sink)
{
    DeliveryScope hold;
    stdSink = sink;
    sinks.emplace_back(sink);
}

void QxLogger::addSink(QxDbgLogger* sink)
{
    DeliveryScope hold;
    dbgSink = sink;
    sinks.emplace_back(sink);
}

void QxLogger::addSink(QxFileLogger* sink)
{
    DeliveryScope hold;
    fileSink = sink;
    sinks.emplace_back(sink);
}

bool QxLogger::deliver(LogData* record)
{
    try {
        DeliveryScope hold;
        return dispatch(record);
    } catch (...) {
        return true;  // the lock could not be taken: nothing was delivered
    }
}

bool QxLogger::dispatch(LogData* record) noexcept
{
    bool result = true;
    try {
        for (const std::any& entry : sinks) {
            BaseLogger* sink = nullptr;
            if (auto* p = std::any_cast<QxStdLogger*>(&entry)) {
                if (stdEnabled) sink = *p;
            } else if (auto* p = std::any_cast<QxDbgLogger*>(&entry)) {
                if (dbgEnabled) sink = *p;
            } else if (auto* p = std::any_cast<QxFileLogger*>(&entry)) {
                if (fileEnabled) sink = *p;
            }
            if (sink == nullptr) continue;
            // A sink that took the record (false) ends the dispatch.
            result = sink->deliver(record);
            if (!result) break;
        }
    } catch (...) {
        // A sink threw: this record goes no further.
    }
    return result;
}

}  // namespace logging
