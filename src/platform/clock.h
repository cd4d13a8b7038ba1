// Local calendar time and the millisecond tick.
#pragma once

#include <cstdint>

#include "platform/stop_token.h"

namespace mon {

struct TLocalDateTime {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// A date-time value as the stored records keep it: days since 30 December 1899, the fraction
// being the time of day.
double ToDateTimeValue(const TLocalDateTime& ATime);

class TClock {
 public:
  virtual ~TClock() = default;
  // The current local date and time, to the millisecond. Any thread.
  virtual TLocalDateTime LocalNow() = 0;
  // Milliseconds since an arbitrary start, wrapping at 2^32 (the system's event-time base).
  virtual std::uint32_t TickCount() = 0;
  // Sleeps AMilliseconds, or less when AStop is requested meanwhile (not at all when it already
  // was). True when the stop ended the sleep. Any thread.
  virtual bool SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) = 0;
};

}  // namespace mon
