// Windows file times: 100-ns units since 1601-01-01 UTC. 0 means "not
// known": such a time is left as the system sets it.
#pragma once

#include <cstdint>

struct FileTimes {
    std::uint64_t creation = 0;
    std::uint64_t access = 0;
    std::uint64_t write = 0;
};
