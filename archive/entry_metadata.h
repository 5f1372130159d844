// What an entry's central record and local extra field say about the file:
// its Windows attributes and its times.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/file_times.h"

// Attributes from the external attributes and the "version made by" field:
// MS-DOS style bits for the hosts that use them (FAT, HPFS, NTFS, VFAT),
// otherwise the Unix mode in the upper half (folder bit, owner write bit).
std::uint32_t EntryAttributes(std::uint32_t externalAttributes, std::uint16_t versionMadeBy);

// A DOS date and time as a local file time; false when they name no valid
// moment (a zero date, minute 60, second 62 and the like).
bool DosTimeToLocalFileTime(std::uint16_t date, std::uint16_t time, std::uint64_t& local);

// The same taken as local time and converted to UTC; 0 when not valid.
std::uint64_t DosTimeToFileTime(std::uint16_t date, std::uint16_t time);

// Seconds since 1970 as a file time; 0 for moments before 1601.
std::uint64_t UnixTimeToFileTime(std::int64_t seconds);

// Finds the extended timestamp block ("UT") in a local extra field and
// replaces the times it holds: write, access, creation as its flags say, each
// only when its four bytes are present.
void ApplyExtendedTimestamp(const unsigned char* extra, std::size_t length, FileTimes& times);
