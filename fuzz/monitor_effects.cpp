#include "monitor_effects.h"

#include <algorithm>
#include <cstring>

#include "app/MouseMonitor.h"

namespace mon::fuzzing {

namespace {

using testing::TMemoryRegistry;

// AAfter is ABefore followed by AAdded.
template <class T>
bool Extends(const std::vector<T>& AAfter, const std::vector<T>& ABefore,
             const std::vector<T>& AAdded) {
  return AAfter.size() == ABefore.size() + AAdded.size() &&
         std::equal(ABefore.begin(), ABefore.end(), AAfter.begin()) &&
         std::equal(AAdded.begin(), AAdded.end(), AAfter.begin() + ABefore.size());
}

TMemoryRegistry::TValue DWordValue(std::uint32_t ANumber) {
  TMemoryRegistry::TValue value{kRegistryDWord, std::vector<std::uint8_t>(4)};
  std::memcpy(value.Bytes.data(), &ANumber, 4);  // little-endian, as the system stores it
  return value;
}

}  // namespace

TObservation Observe(TMonitorOnFakes& AWorld) {
  const auto& registry = AWorld.Platform.Registry;
  TObservation seen;
  seen.RegistryWrites = registry.WriteCount();
  seen.ProfileKeyExists = registry.KeyExists(kRegistryCurrentUser, AWorld.ProfileKeyPath());
  seen.ProfileId =
      registry.Value(kRegistryCurrentUser, AWorld.ProfileKeyPath(), kProfileIdValueName);
  seen.Delivered = AWorld.Platform.Desktop.Delivered;
  seen.SendTimeouts = AWorld.Platform.Desktop.SendTimeouts;
  seen.SetMuteCalls = AWorld.Platform.Audio.SetMuteCalls;
  seen.Muted = AWorld.Platform.Audio.SystemMuted;
  seen.Notices = AWorld.Tray().Notices.size();
  seen.DebugLines = AWorld.Platform.Debug.Lines();
  seen.LoopEnded = AWorld.Platform.Desktop.Terminated;
  seen.MessageBoxes = AWorld.Platform.MessageBox.Shown.size();
  seen.Errors = AWorld.Errors.size();
  return seen;
}

void RequireEffects(TMonitorOnFakes& AWorld, const TObservation& ABefore,
                    const TObservation& AAfter, const TExpectedEffects& AExpected) {
  // The profile key is never made by these steps; where it is, "ProfileID" is the one value
  // they may write.
  const bool writes = AExpected.ProfileId.has_value() && ABefore.ProfileKeyExists;
  Require(AAfter.ProfileKeyExists == ABefore.ProfileKeyExists);
  Require(AAfter.RegistryWrites == ABefore.RegistryWrites + (writes ? 1 : 0));
  Require(AAfter.ProfileId == (writes ? DWordValue(*AExpected.ProfileId) : ABefore.ProfileId));

  const std::vector<testing::TDeliveredMessage> none;
  Require(Extends(AAfter.Delivered, ABefore.Delivered,
                  AWorld.Options.ConfigProgramRuns ? AExpected.ToConfig : none));
  Require(Extends(AAfter.SendTimeouts, ABefore.SendTimeouts,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(AExpected.BoundedSends),
                                             kConfigSendTimeoutMs)));

  Require(AAfter.SetMuteCalls == ABefore.SetMuteCalls + (AExpected.MuteToggled ? 1 : 0));
  Require(AAfter.Muted == (ABefore.Muted != AExpected.MuteToggled));
  Require(AAfter.Notices == ABefore.Notices + static_cast<std::size_t>(AExpected.Notices));
  Require(Extends(AAfter.DebugLines, ABefore.DebugLines, AExpected.DebugLines));
  Require(AAfter.LoopEnded == AExpected.EndsLoop);
  Require(AAfter.MessageBoxes == ABefore.MessageBoxes);
  Require(AAfter.Errors == ABefore.Errors);
}

TMemoryRegistry::TContent RegistryButProfileId(TMonitorOnFakes& AWorld) {
  return AWorld.Platform.Registry.ContentExcept(kRegistryCurrentUser, AWorld.ProfileKeyPath(),
                                                kProfileIdValueName);
}

}  // namespace mon::fuzzing
