// The UTC clock from the system time.
#include "update/utc_clock.h"

#include <windows.h>

namespace kestrune {

namespace {

// FILETIME counts 100-ns steps from 1601-01-01; 1970-01-01 is this many later.
const std::uint64_t kUnixEpochTicks = 116444736000000000ull;
const std::uint64_t kTicksPerSecond = 10000000ull;

}  // namespace

std::uint64_t secondsSince1970()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return ticks > kUnixEpochTicks ? (ticks - kUnixEpochTicks) / kTicksPerSecond : 0;
}

long todayUtc()
{
    return static_cast<long>(secondsSince1970() / 86400);
}

}  // namespace kestrune
