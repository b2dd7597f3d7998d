// platform/clock.h: the local clock and conversions between local wall-clock seconds and UTC.
#pragma once

#include <cstdint>

// Now, as seconds since 1970-01-01 00:00:00 counted in local wall-clock time.
int64_t LocalNowSeconds();

// UTC seconds of a local wall-clock second count (the time-zone rules of that moment).
int64_t LocalToUtc(int64_t localSeconds);

// Local wall-clock seconds of a UTC second count.
int64_t UtcToLocal(int64_t utcSeconds);

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};

// The local date and time now, read from the clock at each call.
LocalDateTime LocalNow();
