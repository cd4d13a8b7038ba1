// What a report or a message does to the world around the monitor's window, as the fuzz targets
// see it: registry writes, the "ProfileID" value, messages to the configuration program, the
// microphone, tray notices, debug lines, the end of the loop and errors. A step is checked by
// observing before and after it and comparing the difference with the effects expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "monitor_on_fakes.h"

namespace mon::fuzzing {

struct TExpectedEffects {
  // The window posts its key-index message to itself for the step (reports only).
  bool PostsToSelf = false;
  // Written as "ProfileID" (a DWORD) where the profile key exists; nothing else is written.
  std::optional<std::uint32_t> ProfileId;
  // Delivered to the configuration program while it runs.
  std::vector<testing::TDeliveredMessage> ToConfig;
  // Sends to the configuration program tried (bounded), whether it runs or not.
  int BoundedSends = 0;
  bool MuteToggled = false;
  int Notices = 0;
  std::vector<std::u16string> DebugLines;
  bool EndsLoop = false;
};

struct TObservation {
  std::size_t RegistryWrites = 0;
  bool ProfileKeyExists = false;
  std::optional<testing::TMemoryRegistry::TValue> ProfileId;
  std::vector<testing::TDeliveredMessage> Delivered;
  std::vector<std::uint32_t> SendTimeouts;
  int SetMuteCalls = 0;
  bool Muted = false;
  std::size_t Notices = 0;
  std::vector<std::u16string> DebugLines;
  bool LoopEnded = false;
  std::size_t MessageBoxes = 0;
  std::size_t Errors = 0;
};

TObservation Observe(TMonitorOnFakes& AWorld);

void RequireEffects(TMonitorOnFakes& AWorld, const TObservation& ABefore,
                    const TObservation& AAfter, const TExpectedEffects& AExpected);

// Runs AStep (which hands the window one report or message), pumps the window's own messages
// and requires exactly the effects expected. The loop counts as running before the step.
template <class TStep>
void RequireStep(TMonitorOnFakes& AWorld, const TExpectedEffects& AExpected, TStep AStep) {
  AWorld.Platform.Desktop.Terminated = false;
  const TObservation before = Observe(AWorld);
  AStep();
  AWorld.Pump();
  RequireEffects(AWorld, before, Observe(AWorld), AExpected);
}

// Every value but "ProfileID" of the profile key, to compare at the start and the end of an
// input: steps may write nothing else.
testing::TMemoryRegistry::TContent RegistryButProfileId(TMonitorOnFakes& AWorld);

}  // namespace mon::fuzzing
