#include "log/log.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <locale>
#include <sstream>

namespace logging {

// ---- Levels ----------------------------------------------------------------

const char* LevelName(int level) noexcept
{
    static const char* const names[] = {"TRACE", "DEBUG", "INFO", "WARN", "ERROR", "FATAL"};
    return level >= Trace && level <= Fatal ? names[level] : "OTHER";
}

const char* LevelLetter(int level) noexcept
{
    static const char* const letters[] = {"T", "D", "I", "W", "E", "F"};
    return level >= Trace && level <= Fatal ? letters[level] : "O";
}

// ---- Time ------------------------------------------------------------------

namespace {

std::int64_t RealTime()
{
    using namespace std::chrono;
    return floor<seconds>(system_clock::now().time_since_epoch()).count();
}

std::atomic<TimeSource> timeSource{nullptr};  // nullptr: the real clock

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil); month 1..12.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;                                    // [0, 399]
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // [0, 365]
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;            // [0, 146096]
    return era * 146097 + doe - 719468;
}

}  // namespace

TimeSource SetTimeSource(TimeSource source) noexcept
{
    TimeSource previous = timeSource.exchange(source);
    return previous != nullptr ? previous : &RealTime;
}

std::int64_t CurrentTime() noexcept
{
    TimeSource source = timeSource.load();
    if (source == nullptr) return RealTime();
    try {
        return source();
    } catch (...) {
        return RealTime();
    }
}

bool UtcFromSeconds(std::int64_t seconds, std::tm& out) noexcept
{
    // Floor division, so times before 1970 fall on the right day.
    std::int64_t days = seconds / 86400;
    std::int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }

    // Civil date from days since 1970 (H. Hinnant's civil_from_days).
    // |days| < 2^47, so nothing below overflows.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;                                       // [0, 146096]
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
    const std::int64_t mp = (5 * doy + 2) / 153;                                     // [0, 11]
    const unsigned day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);        // [1, 31]
    const unsigned month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);         // [1, 12]
    const std::int64_t year = yoe + era * 400 + (month <= 2);

    std::tm tm{};
    tm.tm_sec = static_cast<int>(secondOfDay % 60);
    tm.tm_min = static_cast<int>(secondOfDay / 60 % 60);
    tm.tm_hour = static_cast<int>(secondOfDay / 3600);
    tm.tm_mday = static_cast<int>(day);
    tm.tm_mon = static_cast<int>(month) - 1;
    tm.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    tm.tm_wday = static_cast<int>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday (4)
    tm.tm_isdst = 0;

    bool fits = true;
    const std::int64_t sinceTm = year - 1900;
    if (sinceTm > INT_MAX) {
        tm.tm_year = INT_MAX;
        fits = false;
    } else if (sinceTm < INT_MIN) {
        tm.tm_year = INT_MIN;
        fits = false;
    } else {
        tm.tm_year = static_cast<int>(sinceTm);
    }
    out = tm;
    return fits;
}

// ---- Record ----------------------------------------------------------------

namespace {

const char* NameAfterLastSeparator(const char* path) noexcept
{
    if (path == nullptr) return "";
    if (const char* slash = std::strrchr(path, '/')) return slash + 1;
    if (const char* backslash = std::strrchr(path, '\\')) return backslash + 1;
    return path;
}

}  // namespace

LogData::LogData(int level, const char* sourcePath, int line, std::int64_t time)
    : streambuf(text, kTextSize),
      stream(&streambuf),
      level(level),
      line(line),
      sourcePath(sourcePath),
      sourceName(NameAfterLastSeparator(sourcePath)),
      time(time)
{
    text[0] = '\0';
    text[kTextSize] = '\0';
    UtcFromSeconds(time, timeUtc);
}

LogData::~LogData() = default;

// ---- Messages --------------------------------------------------------------

LogMessage::LogMessage(const char* file, int line, int level, BaseLogger* logger, NoHeader) noexcept
    : logger(logger)
{
    try {
        record = new LogData(level, file, line, CurrentTime());
    } catch (...) {
        record = nullptr;
    }
}

LogMessage::LogMessage(const char* file, int line, int level, BaseLogger* logger) noexcept
    : LogMessage(file, line, level, logger, NoHeader{})
{
    writeHeader();
}

LogMessage::~LogMessage()
{
    flush();
    if (releaseRecord) delete record;
}

std::ostream& LogMessage::getStream() noexcept
{
    if (record != nullptr) return record->stream;
    // No record: a stream without a buffer, which drops every insertion.
    thread_local std::ostream nowhere(nullptr);
    return nowhere;
}

void LogMessage::writeHeader() noexcept
{
    if (record == nullptr) return;
    try {
        composeHeader();
    } catch (...) {
        // A header cut short still makes a line.
    }
}

void LogMessage::composeHeader()
{
    std::ostream& s = record->stream;
    s.fill(' ');
    s.width(5);
    s.setf(std::ios::left, std::ios::adjustfield);
    s.setf(std::ios::dec, std::ios::basefield);
    s << LevelName(record->level) << " - " << record->sourceName << "(" << record->line << "): ";
}

void LogMessage::flush() noexcept
{
    if (flushed) return;
    releaseRecord = true;
    if (record != nullptr) {
        // The line ends in exactly one '\n'; a full area gives up its last
        // character for it.
        helpers::fixed_streambuf& buf = record->streambuf;
        const std::size_t n = buf.size();
        if (n == 0 || buf.data()[n - 1] != '\n') {
            if (n == buf.capacity()) buf.dropLast();
            buf.append('\n');
        }
        record->text[buf.size()] = '\0';

        if (logger != nullptr) {
            try {
                releaseRecord = logger->deliver(record);
            } catch (...) {
                releaseRecord = true;
            }
        }
    }
    flushed = true;
}

std::string QuotedPath(std::string_view path)
{
    std::string quoted;
    quoted.reserve(path.size() + 2);
    quoted += '"';
    for (char c : path) {
        if (c == '"' || c == '&') quoted += '&';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace logging

namespace n_log {

void CustomLogMessage::composeHeader()
{
    const std::tm& t = record->timeUtc;
    std::ostringstream header;
    header.imbue(std::locale::classic());
    header << '[' << logging::logTag << "][" << logging::LevelLetter(record->level) << "]["
           << (static_cast<long long>(t.tm_year) + 1900) << '-' << (t.tm_mon + 1) << '-' << t.tm_mday << ' '
           << t.tm_hour << ':' << t.tm_min << ':' << t.tm_sec << "] ";
    record->stream << header.str();
}

}  // namespace n_log
