#include "platform/clock.h"

#include <ctime>

int64_t UtcToLocal(int64_t utcSeconds) {
  const time_t t = static_cast<time_t>(utcSeconds);
  tm local{};
  localtime_r(&t, &local);
  return utcSeconds + local.tm_gmtoff;
}

int64_t LocalToUtc(int64_t localSeconds) {
  // Read the count as a broken-down UTC time, then let mktime apply the local rules.
  const time_t t = static_cast<time_t>(localSeconds);
  tm wall{};
  gmtime_r(&t, &wall);
  wall.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&wall));
}

int64_t LocalNowSeconds() { return UtcToLocal(static_cast<int64_t>(time(nullptr))); }

LocalDateTime LocalNow() {
  const time_t t = time(nullptr);
  tm local{};
  localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}
