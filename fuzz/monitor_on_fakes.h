// The monitor's main window on the fakes, as the unit tests make it
// (tests/app/monitor_window_test.cpp): the profile manager's first start on an empty registry,
// then the window, with the configuration program running or not. Starting one takes far longer
// than an input, so each kind of world is started once per process (StartedMonitor) and set
// back to its state right after the start at the end of every input (EndInput), which requires
// that it got there: an input's outcome never depends on the inputs before it.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/MouseMonitor.h"
#include "fake_platform.h"
#include "framework/application.h"
#include "profiles/DMUnit.h"

namespace mon::fuzzing {

// A violated property: abort, which libFuzzer reports as a crash with the input.
void Require(bool ACondition);

inline constexpr TWindowHandle kConfigWindow = 0x77;
// More posted messages than any input gives: a window that keeps posting to itself stops here.
inline constexpr int kMaxPumpedMessages = 64;

// What a world is started with and keeps for its life.
struct TWorldKind {
  bool ConfigProgramRuns = false;
  bool UserBusy = false;          // a full-screen program runs: no notices
  bool MicrophonePresent = true;  // without one, the mute key finds nothing to mute
  auto operator<=>(const TWorldKind&) const = default;
};

struct TWorldOptions {
  TWorldKind Kind;
  std::optional<int> MuteKey;  // button 0..13 bound to the microphone mute
};

class TMonitorOnFakes {
 public:
  // AApp owns the window and receives its errors; it must outlive the world.
  TMonitorOnFakes(const TWorldKind& AKind, TApplication& AApp);
  ~TMonitorOnFakes();
  TMonitorOnFakes(const TMonitorOnFakes&) = delete;
  TMonitorOnFakes& operator=(const TMonitorOnFakes&) = delete;

  // Binds the mute key for an input (stored too, so that a reload on a message of the
  // configuration program keeps it).
  void BeginInput(std::optional<int> AMuteKey);
  // Back to the state right after the start, as the next input needs it: registry, profile
  // manager, microphone, tray and window, with the records of what was delivered, shown and
  // written emptied. Requires that it got there.
  void EndInput();

  testing::TFakeAppWindow& Window();
  testing::TFakeTrayIcon& Tray();
  const std::u16string& ProfileKeyPath() const;
  // The number the system gave to the monitor's quit message.
  std::uint32_t QuitMessage();
  // Whether button AKey (0..13) of the current profile is the microphone mute now.
  bool IsMuteKey(int AKey) const;

  // An input report as the reader hands it to the window: through the window's data handler.
  void DeliverReport(std::uint8_t AReportId, std::span<const std::uint8_t> AData);
  // A message from another program (or the window's own) delivered as its loop would.
  void DeliverMessage(std::uint32_t AMessage, std::uintptr_t AWParam, std::intptr_t ALParam);
  // Delivers the window's posted messages, bounded; the queue must be empty afterwards.
  void Pump();

  const TWorldKind Options;
  testing::TFakePlatform Platform;
  std::vector<std::u16string> Errors;  // exceptions that reached the application

 private:
  // What the window, the microphone and the tray hold that an input can change, to compare
  // after a reset with the state right after the start (the profile manager is compared on
  // its own).
  struct TState {
    bool Muted = false;
    int LiveEndpoints = 0;
    std::u16string Title;
    std::u16string TrayHint;
    TTrayIconState TrayIconState = TTrayIconState::Normal;
    bool operator==(const TState&) const = default;
  };
  TState State();
  void BindButton(int AKey, Word AFunction);

  struct TBoundButton {
    int Key = 0;
    Word FormerFunction = 0;
  };

  std::unique_ptr<TDM> FDM;
  std::unique_ptr<TKORVALDZ314MONMAIN> FMonitor;
  testing::TMemoryRegistry::TContent FRegistryAtStart;
  TState FStateAtStart;
  std::vector<std::uint8_t> FProfileManagerAtStart;
  std::optional<TBoundButton> FBoundMuteKey;  // by the last input
};

// The world of AOptions' kind, started on first use and kept for the process, with AOptions'
// mute key bound (BeginInput); the input ends with EndInput. Errors reaching the application
// go to this world from now on.
TMonitorOnFakes& StartedMonitor(const TWorldOptions& AOptions);

}  // namespace mon::fuzzing
