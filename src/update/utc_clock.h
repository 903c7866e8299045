// The UTC clock as release statements count it: today's day number and the
// seconds since 1970-01-01.
#pragma once

#include <cstdint>

namespace kestrune {

// Days since 1970-01-01 of today's UTC date.
long todayUtc();

// Seconds since 1970-01-01 00:00 UTC.
std::uint64_t secondsSince1970();

}  // namespace kestrune
