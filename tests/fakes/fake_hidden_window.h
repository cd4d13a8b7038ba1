// Hidden windows for native tests: posted messages wait in a queue until the test dispatches
// them, timers run on a virtual clock the test advances, and device changes are injected.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/hidden_window.h"

namespace mon::testing {

class TFakeHiddenWindowFactory;

class TFakeHiddenWindow final : public THiddenWindow {
 public:
  TFakeHiddenWindow(TFakeHiddenWindowFactory& AFactory, std::u16string AClassName,
                    TMessageHandler& AHandler, TWindowHandle AHandle);
  ~TFakeHiddenWindow() override;

  TWindowHandle Handle() const override { return FHandle; }
  bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override;
  bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) override;
  void StopTimer(std::uintptr_t AId) override;
  bool RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) override;

  // Hands AMessage to the handler as the backend does (an escaping exception goes to the
  // central error handler). True when the handler handled it.
  bool Deliver(TWindowMessage& AMessage);
  // A device change as the system sends it.
  bool SendDeviceChange(std::uintptr_t AEvent, std::optional<std::uint32_t> ADeviceType);

  const std::u16string& ClassName() const { return FClassName; }
  const std::vector<TGuid>& Registrations() const { return FRegistrations; }
  bool TimerRunning(std::uintptr_t AId) const { return FTimers.count(AId) != 0; }
  std::size_t PostedCount() const { return FPosted.size(); }

 private:
  friend class TFakeHiddenWindowFactory;
  struct TTimer {
    std::uint32_t Interval = 0;
    std::uint64_t Due = 0;
  };

  TFakeHiddenWindowFactory& FFactory;
  std::u16string FClassName;
  TMessageHandler& FHandler;
  TWindowHandle FHandle;
  std::deque<TWindowMessage> FPosted;
  std::map<std::uintptr_t, TTimer> FTimers;
  std::vector<TGuid> FRegistrations;
};

class TFakeHiddenWindowFactory final : public THiddenWindowFactory {
 public:
  bool FailCreate = false;
  bool FailRegistration = false;

  std::unique_ptr<THiddenWindow> CreateHiddenWindow(const std::u16string& AClassName,
                                                    TMessageHandler& AHandler) override;

  // The live windows, oldest first.
  const std::vector<TFakeHiddenWindow*>& Windows() const { return FWindows; }
  // Delivers the messages posted so far to every window, in posting order. Returns how many.
  std::size_t DispatchPosted();
  // Advances the virtual clock by AMilliseconds; every timer tick that comes due on the way is
  // delivered in time order. Returns the number of ticks.
  std::size_t AdvanceTime(std::uint64_t AMilliseconds);
  std::uint64_t Now() const { return FNow; }

 private:
  friend class TFakeHiddenWindow;
  std::vector<TFakeHiddenWindow*> FWindows;
  std::uint64_t FNow = 0;
  TWindowHandle FNextHandle = 0x1000;
};

}  // namespace mon::testing
