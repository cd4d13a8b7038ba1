// The monitor's main window on the fakes, made afresh for every fuzz input as the unit tests make
// it (tests/app/monitor_window_test.cpp): the profile manager's first start on an empty registry,
// then the window, with the configuration program running or not.
#pragma once

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

struct TWorldOptions {
  bool ConfigProgramRuns = false;
  bool UserBusy = false;          // a full-screen program runs: no notices
  bool MicrophonePresent = true;  // without one, the mute key finds nothing to mute
  std::optional<int> MuteKey;     // button 0..13 bound to the microphone mute
};

class TMonitorOnFakes {
 public:
  explicit TMonitorOnFakes(const TWorldOptions& AOptions);
  ~TMonitorOnFakes();
  TMonitorOnFakes(const TMonitorOnFakes&) = delete;
  TMonitorOnFakes& operator=(const TMonitorOnFakes&) = delete;

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

  const TWorldOptions Options;
  testing::TFakePlatform Platform;
  TApplication App;
  std::vector<std::u16string> Errors;  // exceptions that reached the application

 private:
  std::unique_ptr<TDM> FDM;
  std::unique_ptr<TKORVALDZ314MONMAIN> FMonitor;
};

}  // namespace mon::fuzzing
