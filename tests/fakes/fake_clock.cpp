#include "fake_clock.h"

namespace mon::testing {

bool TManualClock::SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) {
  if (AStop.StopRequested()) {
    return true;
  }
  std::lock_guard lock(FLock);
  FSleeps.push_back(AMilliseconds);
  Tick += AMilliseconds;
  return false;
}

std::vector<std::uint32_t> TManualClock::Sleeps() const {
  std::lock_guard lock(FLock);
  return FSleeps;
}

}  // namespace mon::testing
