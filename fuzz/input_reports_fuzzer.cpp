// Hands the monitor's main window, running on the fakes, input reports of any report ID, size
// and content through its data handler (as the device reader does), delivers the messages the
// window posts to itself, and checks after every report that it did exactly what the decoding
// rules give (monitor_model.h) and nothing else:
// - a report that is not a key or status report of 7 data bytes, a release, a chord, a status
//   sub-type or profile number without meaning: nothing posted anywhere, nothing written, no
//   mute toggle, no notice, no debug line;
// - a single key: its key-index message posted once and its debug line; the mute key toggles
//   the microphone once (where there is one), keys 21..23 select profiles 0..2, other keys
//   nothing;
// - a profile selection (status sub-type 1, or key 21..23): "ProfileID" becomes that number as a
//   DWORD where the profile key exists (a removed key is not made again), and the configuration
//   program is told by a bounded send;
// - status sub-types 2 and 6: their value posted to the configuration program, nothing else;
// - no value but "ProfileID" is ever written, the loop never ends, no error reaches the
//   application, no message box; the window's own queue is empty after a bounded pump.
// A violated property aborts, which libFuzzer reports as a crash with the input.
//
// Input: a flags byte (kFlag...), a byte whose value modulo 16 is the button (0..13) bound to the
// microphone mute (14, 15: none), then up to kMaxReports reports: the report ID, the data size
// (16-bit little-endian) and the data, zero-filled where the input ends first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "input_reader.h"
#include "monitor_effects.h"
#include "monitor_model.h"
#include "monitor_on_fakes.h"

namespace {

using mon::fuzzing::kButtonCount;
using mon::fuzzing::RegistryButProfileId;
using mon::fuzzing::Require;
using mon::fuzzing::RequireReportHandled;
using mon::fuzzing::TInputReader;
using mon::fuzzing::TMonitorOnFakes;

constexpr std::uint8_t kFlagConfigProgramRuns = 1;
constexpr std::uint8_t kFlagProfileKeyRemoved = 2;
constexpr std::uint8_t kFlagUserBusy = 4;
constexpr std::uint8_t kFlagNoMicrophone = 8;
constexpr int kMaxReports = 64;

std::optional<int> MuteKeyOf(std::uint8_t AByte) {
  const int key = AByte % 16;
  return key < kButtonCount ? std::optional<int>(key) : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  TInputReader input({AData, ASize});
  const std::uint8_t flags = input.Byte();
  TMonitorOnFakes& world = mon::fuzzing::StartedMonitor(
      {.Kind = {.ConfigProgramRuns = (flags & kFlagConfigProgramRuns) != 0,
                .UserBusy = (flags & kFlagUserBusy) != 0,
                .MicrophonePresent = (flags & kFlagNoMicrophone) == 0},
       .MuteKey = MuteKeyOf(input.Byte())});
  if (flags & kFlagProfileKeyRemoved) {
    // Removed behind the monitor's back, as another program may.
    world.Platform.Registry.DeleteKey(mon::kRegistryCurrentUser, world.ProfileKeyPath());
  }
  const auto registryAtStart = RegistryButProfileId(world);

  for (int i = 0; i < kMaxReports && !input.AtEnd(); ++i) {
    const std::uint8_t reportId = input.Byte();
    std::vector<std::uint8_t> data(static_cast<std::size_t>(input.Number(2)));
    const auto given = input.Take(data.size());
    std::copy(given.begin(), given.end(), data.begin());
    RequireReportHandled(world, reportId, data);
  }

  Require(RegistryButProfileId(world) == registryAtStart);
  world.EndInput();
  return 0;
}
