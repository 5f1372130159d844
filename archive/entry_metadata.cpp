#include "archive/entry_metadata.h"

#include "archive/file_system.h"

#include <algorithm>

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the given date (proleptic Gregorian).
std::int64_t DaysSince1601(int year, int month, int day)
{
    const std::int64_t y = year - 1601;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    return days + day - 1;
}

std::uint32_t Read32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::uint32_t EntryAttributes(std::uint32_t a, std::uint16_t versionMadeBy)
{
    bool directory = (a >> 30) & 1;
    bool readOnly = ((a >> 23) & 1) == 0;
    bool hidden = false;
    bool system = false;
    bool archive = true;
    const int host = versionMadeBy >> 8;
    if (host == 0 || host == 7 || host == 11 || host == 14) {
        readOnly = a & 0x01;
        hidden = a & 0x02;
        system = a & 0x04;
        directory = a & 0x10;
        archive = a & 0x20;
    }
    std::uint32_t attributes = 0;
    if (directory) attributes |= 0x10;
    if (archive) attributes |= 0x20;
    if (hidden) attributes |= 0x02;
    if (readOnly) attributes |= 0x01;
    if (system) attributes |= 0x04;
    return attributes;
}

bool DosTimeToLocalFileTime(std::uint16_t date, std::uint16_t time, std::uint64_t& local)
{
    const int year = (date >> 9) + 1980;
    const int month = (date >> 5) & 0x0F;
    const int day = date & 0x1F;
    const int hour = time >> 11;
    const int minute = (time >> 5) & 0x3F;
    const int second = (time & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return false;
    }
    const std::int64_t seconds = DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    local = static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
    return true;
}

std::uint64_t DosTimeToFileTime(std::uint16_t date, std::uint16_t time)
{
    std::uint64_t local = 0;
    std::uint64_t utc = 0;
    if (!DosTimeToLocalFileTime(date, time, local) || !files::LocalFileTimeToUtc(local, utc)) return 0;
    return utc;
}

std::uint64_t UnixTimeToFileTime(std::int64_t seconds)
{
    if (seconds < -kSecondsFrom1601To1970) return 0;
    return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
}

void ApplyExtendedTimestamp(const unsigned char* extra, std::size_t length, FileTimes& times)
{
    std::size_t p = 0;
    while (p + 4 <= length) {
        const unsigned id = extra[p] | (extra[p + 1] << 8);
        const std::size_t size = extra[p + 2] | (extra[p + 3] << 8);
        const unsigned char* data = extra + p + 4;
        const std::size_t available = std::min(size, length - p - 4);
        if (id == 0x5455) {  // "UT"
            if (available < 1) return;
            const unsigned flags = data[0];
            std::size_t at = 1;
            std::uint64_t* const targets[] = {&times.write, &times.access, &times.creation};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (at + 4 > available) return;
                const auto seconds = static_cast<std::int32_t>(Read32(data + at));
                *targets[bit] = UnixTimeToFileTime(seconds);
                at += 4;
            }
            return;
        }
        p += 4 + size;
    }
}
