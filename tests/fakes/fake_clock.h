// A clock the test sets.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace mon::testing {

// Time moves only when the test sets it; sleeps return at once (unless AStop is set), are
// recorded and move the tick on.
class TManualClock final : public TClock {
 public:
  TLocalDateTime Now;
  std::atomic<std::uint32_t> Tick = 0;
  TLocalDateTime LocalNow() override { return Now; }
  std::uint32_t TickCount() override { return Tick; }
  bool SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) override;
  // The sleeps so far, in order. Any thread.
  std::vector<std::uint32_t> Sleeps() const;

 private:
  mutable std::mutex FLock;
  std::vector<std::uint32_t> FSleeps;
};

}  // namespace mon::testing
