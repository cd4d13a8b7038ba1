#include "monitor_on_fakes.h"

#include <cstdlib>

#include "app/shared_definitions.h"
#include "i18n/translation.h"

namespace mon::fuzzing {

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

TMonitorOnFakes::TMonitorOnFakes(const TWorldOptions& AOptions) : Options(AOptions) {
  App.OnException = [this](const std::u16string& AMessage) { Errors.push_back(AMessage); };
  Platform.Audio.CaptureDevicePresent = AOptions.MicrophonePresent;
  Platform.Desktop.UserBusy = AOptions.UserBusy;
  if (AOptions.ConfigProgramRuns) {
    Platform.Windows.WindowsByClass[CFG_MAIN_CLASS] = kConfigWindow;
    Platform.Desktop.LiveWindows.insert(kConfigWindow);
  }
  FDM = std::make_unique<TDM>(nullptr, Platform.Platform());
  if (AOptions.MuteKey) {
    // Stored too, so that the reload on a message of the configuration program keeps it.
    FDM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[*AOptions.MuteKey].nFunctionCode =
        kFunctionCodeMicrophoneMute;
    FDM->SaveCurrentProfileInfoToRegistry();
  }
  FMonitor = std::make_unique<TKORVALDZ314MONMAIN>(&App, Platform.Platform(), *FDM);
}

TMonitorOnFakes::~TMonitorOnFakes() {
  FMonitor.reset();
  FDM.reset();
  // The language in force is process-wide: the next input starts from the original texts.
  RevertToOriginal();
}

testing::TFakeAppWindow& TMonitorOnFakes::Window() {
  return static_cast<testing::TFakeAppWindow&>(FMonitor->Window());
}

testing::TFakeTrayIcon& TMonitorOnFakes::Tray() {
  return *Platform.Desktop.LastTrayIcon;
}

const std::u16string& TMonitorOnFakes::ProfileKeyPath() const {
  return FDM->FOptionsFromConfigFile.ProfileRegFolder;
}

std::uint32_t TMonitorOnFakes::QuitMessage() {
  return Platform.Desktop.RegisteredMessage(MON_QUIT_MESSAGE);
}

bool TMonitorOnFakes::IsMuteKey(int AKey) const {
  return FDM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[AKey].nFunctionCode ==
         kFunctionCodeMicrophoneMute;
}

void TMonitorOnFakes::DeliverReport(std::uint8_t AReportId, std::span<const std::uint8_t> AData) {
  Require(AData.size() <= 0xFFFF);  // a report's size is 16 bits
  const auto onData = FMonitor->uiHIDData1->OnData();
  Require(static_cast<bool>(onData));
  onData(u"HID\\VID_1A2B&PID_3C4D", u"\\\\?\\hid#mouse", AReportId, AData.data(),
         static_cast<std::uint16_t>(AData.size()));
}

void TMonitorOnFakes::DeliverMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                                     std::intptr_t ALParam) {
  Window().PostToSelf(AMessage, AWParam, ALParam);
  Pump();
}

void TMonitorOnFakes::Pump() {
  Window().DeliverPosted(kMaxPumpedMessages);
  Require(Window().PostedCount() == 0);
}

}  // namespace mon::fuzzing
