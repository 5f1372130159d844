// The logging facility shared by both programs.
//
//   #include "log/log.h"
//   LOG(logging::Info) << "install success";
//
// writes one line "[TAG][I][2026-3-7 9:5:2] install success\n" (UTC time) to
// every sink of the program's logger, logging::theLogger.
//
// Each statement formats into a record of its own (LogData) and, when the
// statement ends, hands it to the logger; deliveries to the sinks are
// serialised by one lock, so lines from several threads never interleave.
// Logging never throws out to the caller.
//
// Each program defines its tag and its logger in one file of its own; they
// are built during static initialisation, before the entry function runs:
//
//   // updater/log_setup.cpp
//   #include "log/log.h"
//   namespace logging {
//   const char logTag[] = "KMX";
//   QxLogger theLogger({/*stdEnabled*/ true, /*dbgEnabled*/ true, /*fileEnabled*/ false},
//                      {SinkKind::Debugger});
//   }
//
// Logging from static initialisers of other files is not supported (the
// order of static initialisation between files is unspecified).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "log/loggers.h"

namespace logging {

enum LogLevel { Trace = 0, Debug = 1, Info = 2, Warn = 3, Error = 4, Fatal = 5 };

// "TRACE" .. "FATAL", "OTHER" for any other value.
const char* LevelName(int level) noexcept;
// "T" .. "F", "O" for any other value.
const char* LevelLetter(int level) noexcept;

// ---- Time ------------------------------------------------------------------

// Seconds since 1970-01-01 00:00:00 UTC.
using TimeSource = std::int64_t (*)();

// Replaces the clock that log statements read (tests fix it this way).
// nullptr restores the real clock. Returns the previous source (never null).
TimeSource SetTimeSource(TimeSource source) noexcept;

// Reads the current clock.
std::int64_t CurrentTime() noexcept;

// Breaks seconds since 1970 down into UTC, as the C library's broken-down
// time does (tm_year since 1900, tm_mon 0..11, tm_mday, tm_hour, tm_min,
// tm_sec, tm_wday, tm_yday; tm_isdst 0). Reentrant; valid for every 64-bit
// value. Returns false when the year does not fit tm_year; tm_year is then
// clamped to the nearest representable value and the rest is still exact.
bool UtcFromSeconds(std::int64_t seconds, std::tm& out) noexcept;

// ---- Record ----------------------------------------------------------------

namespace helpers {

// A stream buffer over a fixed character area. It overrides nothing: when the
// area is full the inherited overflow reports end-of-file, the stream goes bad
// and every further insertion is dropped.
class fixed_streambuf : public std::basic_streambuf<char> {
public:
    fixed_streambuf(char* begin, std::size_t size) { setp(begin, begin + size); }
    fixed_streambuf(const fixed_streambuf&) = delete;
    fixed_streambuf& operator=(const fixed_streambuf&) = delete;

    // Characters written so far.
    std::size_t size() const noexcept { return static_cast<std::size_t>(pptr() - pbase()); }
    std::size_t capacity() const noexcept { return static_cast<std::size_t>(epptr() - pbase()); }
    const char* data() const noexcept { return pbase(); }

    // Forgets the last character written (no effect when empty).
    void dropLast() noexcept
    {
        if (pptr() != pbase()) pbump(-1);
    }
    // Appends one character directly; false when the area is full.
    bool append(char c) noexcept
    {
        if (pptr() == epptr()) return false;
        *pptr() = c;
        pbump(1);
        return true;
    }
};

}  // namespace helpers

// One log statement's record, on the heap.
struct LogData {
    static constexpr std::size_t kTextSize = 20000;

    LogData(int level, const char* sourcePath, int line, std::int64_t time);
    LogData(const LogData&) = delete;
    LogData& operator=(const LogData&) = delete;
    virtual ~LogData();

    // Characters written so far (header, message and, once finished, '\n').
    std::size_t textLength() const noexcept { return streambuf.size(); }
    std::string_view textView() const noexcept { return {text, textLength()}; }

    char text[kTextSize + 1];            // the area, plus room for a terminating NUL
    helpers::fixed_streambuf streambuf;  // put area = text[0 .. kTextSize)
    std::ostream stream;                 // everything the statement writes
    int level;
    int line;
    const char* sourcePath;  // as the statement passes it
    const char* sourceName;  // within sourcePath, after the last '/' (else '\\')
    std::int64_t time;       // seconds since 1970
    std::tm timeUtc;
};

// The object of one log statement (on the caller's stack). Its destructor
// finishes the record, delivers it and frees it unless the logger took it.
class LogMessage {
public:
    // Writes the base header ("INFO  - file.cpp(12): ").
    LogMessage(const char* file, int line, int level, BaseLogger* logger) noexcept;
    LogMessage(const LogMessage&) = delete;
    LogMessage& operator=(const LogMessage&) = delete;
    virtual ~LogMessage();

    // The record's stream; a stream that drops everything when no record
    // could be made.
    std::ostream& getStream() noexcept;

protected:
    struct NoHeader {};
    // Builds the record without writing a header; the derived class then
    // calls writeHeader() once it is fully constructed.
    LogMessage(const char* file, int line, int level, BaseLogger* logger, NoHeader) noexcept;

    virtual void composeHeader();
    void writeHeader() noexcept;

    BaseLogger* logger;
    bool flushed = false;
    bool releaseRecord = false;
    LogData* record = nullptr;

private:
    void flush() noexcept;
};

// ---- The program's tag and logger --------------------------------------------

// Defined by each program (and each test program), see the top of this file.
extern const char logTag[];
extern QxLogger theLogger;

// The form of a file path in a log line: in double quotes, with '&' put before
// every '"' and every '&' inside it.
std::string QuotedPath(std::string_view path);

}  // namespace logging

namespace n_log {

// The message class of every log statement: header "[TAG][L][Y-M-D h:m:s] ".
class CustomLogMessage : public logging::LogMessage {
public:
    CustomLogMessage(const char* file, int line, int level, logging::BaseLogger* logger) noexcept
        : LogMessage(file, line, level, logger, NoHeader{})
    {
        writeHeader();
    }

protected:
    void composeHeader() override;
};

}  // namespace n_log

// LOG_TO(logger, level) << ...;  a statement to a given logger (tests).
#define LOG_TO(logger, level) ::n_log::CustomLogMessage(__FILE__, __LINE__, (level), (logger)).getStream()

// LOG(level) << ...;  a statement to the program's logger.
#define LOG(level) LOG_TO(&::logging::theLogger, level)
