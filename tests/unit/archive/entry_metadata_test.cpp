// Runs with TZ=UTC (see CMakeLists.txt), so local DOS times equal UTC here.
#include "archive/entry_metadata.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
// 2001-02-03 04:05:06 UTC as seconds since 1970 and as a file time.
constexpr std::int64_t kUnixMoment = 981173106;
constexpr std::uint64_t kFileMoment = (kUnixMoment + 11644473600ull) * kTicksPerSecond;

std::uint16_t DosDate(int year, int month, int day)
{
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
std::uint16_t DosTime(int hour, int minute, int second)
{
    return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

TEST(EntryMetadata, AttributesFromDosAndUnixHosts)
{
    const struct {
        std::uint32_t external;
        std::uint16_t madeBy;
        std::uint32_t attributes;
    } cases[] = {
        {0x20, 0x0014, 0x20},                    // FAT, archive
        {0x21, 0x0014, 0x21},                    // FAT, read-only
        {0x27, 0x0B14, 0x27},                    // NTFS: hidden, system too
        {0x10, 0x0E14, 0x10},                    // VFAT folder
        {0x01, 0x0714, 0x01},                    // Macintosh host uses DOS bits
        {0100644u << 16, 0x031E, 0x20},          // Unix rw-r--r--
        {0100444u << 16, 0x031E, 0x21},          // Unix r--r--r--
        {(040755u << 16) | 0x10, 0x031E, 0x30},  // Unix folder
        {0, 0x031E, 0x21},                       // Unix host, no mode: owner write clear
        {0x01, 0x031E, 0x21},                    // DOS bits ignored on Unix host
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EntryAttributes(c.external, c.madeBy), c.attributes)
            << std::hex << c.external << " " << c.madeBy;
    }
}

TEST(EntryMetadata, DosTimeAsLocalTime)
{
    EXPECT_EQ(DosTimeToFileTime(DosDate(2001, 2, 3), DosTime(4, 5, 6)), kFileMoment);
    EXPECT_EQ(DosTimeToFileTime(DosDate(1980, 1, 1), DosTime(0, 0, 0)),
              (315532800ull + 11644473600ull) * kTicksPerSecond);
    EXPECT_EQ(DosTimeToFileTime(DosDate(2024, 2, 29), DosTime(23, 59, 58)),
              (1709251198ull + 11644473600ull) * kTicksPerSecond);
}

TEST(EntryMetadata, InvalidDosTimesGiveNoTime)
{
    const struct {
        std::uint16_t date, time;
    } cases[] = {
        {0, 0},  // what many tools write for "unknown"
        {DosDate(2001, 13, 1), 0},
        {DosDate(2001, 2, 29), 0},
        {DosDate(2000, 4, 31), 0},
        {DosDate(2001, 1, 1), DosTime(24, 0, 0)},
        {DosDate(2001, 1, 1), DosTime(1, 60, 0)},
        {DosDate(2001, 1, 1), 0x1E},  // second 60
    };
    for (const auto& c : cases)
        EXPECT_EQ(DosTimeToFileTime(c.date, c.time), 0u) << c.date << " " << c.time;
}

TEST(EntryMetadata, UnixTimes)
{
    EXPECT_EQ(UnixTimeToFileTime(0), 11644473600ull * kTicksPerSecond);
    EXPECT_EQ(UnixTimeToFileTime(kUnixMoment), kFileMoment);
    EXPECT_EQ(UnixTimeToFileTime(-1), (11644473600ull - 1) * kTicksPerSecond);
    EXPECT_EQ(UnixTimeToFileTime(-11644473601ll), 0u);
}

std::vector<unsigned char> Block(unsigned id, std::vector<unsigned char> data)
{
    std::vector<unsigned char> block = {static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8),
                                        static_cast<unsigned char>(data.size()),
                                        static_cast<unsigned char>(data.size() >> 8)};
    block.insert(block.end(), data.begin(), data.end());
    return block;
}

std::vector<unsigned char> Le32(std::int64_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

std::vector<unsigned char> Concat(std::initializer_list<std::vector<unsigned char>> parts)
{
    std::vector<unsigned char> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(EntryMetadata, ExtendedTimestampReplacesTheTimesItHolds)
{
    const std::uint64_t dos = 1;  // stands for the DOS time already filled in
    const struct {
        const char* what;
        std::vector<unsigned char> extra;
        FileTimes expected;
    } cases[] = {
        {"all three, after another block",
         Concat(
             {Block(0x7875, {1, 4, 0, 0, 0, 0, 4, 0, 0, 0, 0}),
              Block(0x5455, Concat({{7}, Le32(kUnixMoment), Le32(kUnixMoment + 1), Le32(kUnixMoment + 2)}))}),
         {kFileMoment + 2 * kTicksPerSecond, kFileMoment + kTicksPerSecond, kFileMoment}},
        {"write time only", Block(0x5455, Concat({{1}, Le32(kUnixMoment)})), {dos, dos, kFileMoment}},
        {"flags announce three, data holds one",
         Block(0x5455, Concat({{7}, Le32(kUnixMoment)})),
         {dos, dos, kFileMoment}},
        {"access without write", Block(0x5455, Concat({{2}, Le32(kUnixMoment)})), {dos, kFileMoment, dos}},
        {"block size beyond the field",
         Concat({{0x55, 0x54, 40, 0}, {1}, Le32(kUnixMoment)}),
         {dos, dos, kFileMoment}},
        {"empty block", Block(0x5455, {}), {dos, dos, dos}},
        {"no block", Block(0x000A, {0, 0, 0, 0}), {dos, dos, dos}},
        {"cut-off block header", {0x55, 0x54, 5}, {dos, dos, dos}},
    };
    for (const auto& c : cases) {
        FileTimes times{dos, dos, dos};
        ApplyExtendedTimestamp(c.extra.data(), c.extra.size(), times);
        EXPECT_EQ(times.creation, c.expected.creation) << c.what;
        EXPECT_EQ(times.access, c.expected.access) << c.what;
        EXPECT_EQ(times.write, c.expected.write) << c.what;
    }
}

}  // namespace
