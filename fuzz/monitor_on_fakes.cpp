#include "monitor_on_fakes.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "app/shared_definitions.h"
#include "i18n/translation.h"

namespace mon::fuzzing {

namespace {

template <class T>
std::span<const std::uint8_t> BytesOf(const T& AObject) {
  return {reinterpret_cast<const std::uint8_t*>(&AObject), sizeof(T)};
}

// Calls AVisit with each part of the profile manager an input can change: its records, its
// indexes and the images of its stores.
template <class TVisit>
void VisitProfileManager(const TDM& ADM, TVisit AVisit) {
  AVisit(BytesOf(ADM.FAllProfileSettingInfo));
  AVisit(BytesOf(ADM.FProfileSettingGroup));
  AVisit(BytesOf(ADM.FCurrentProfileInfo));
  AVisit(BytesOf(ADM.FDefaultProfileInfo));
  AVisit(BytesOf(ADM.FTestProfileInfo));
  AVisit(BytesOf(ADM.FRecordMacroInfo));
  const Integer profileIndex = ADM.ProfileIndex();
  const Integer groupIndex = ADM.ProfileGroupIndex();
  AVisit(BytesOf(profileIndex));
  AVisit(BytesOf(groupIndex));
  for (const TuiProfile* store :
       {&ADM.uiProfileAllSettingInfo, &ADM.uiProfileGame1, &ADM.uiProfileGame2, &ADM.uiProfileGame3,
        &ADM.uiProfileGame4, &ADM.uiProfileGame5, &ADM.uiProfileSettingGroup,
        &ADM.uiProfileDefaultGame, &ADM.uiProfileTest, &ADM.uiProfileRecordMacroInfo}) {
    const auto image = store->Stream().Bytes();
    const std::size_t size = image.size();
    AVisit(BytesOf(size));
    AVisit(image);
  }
}

std::vector<std::uint8_t> ProfileManagerBytes(const TDM& ADM) {
  std::vector<std::uint8_t> bytes;
  VisitProfileManager(ADM, [&bytes](std::span<const std::uint8_t> APart) {
    bytes.insert(bytes.end(), APart.begin(), APart.end());
  });
  return bytes;
}

// Compared part by part, without a copy: the profile manager holds about a megabyte.
bool ProfileManagerHolds(const TDM& ADM, std::span<const std::uint8_t> ABytes) {
  bool same = true;
  std::size_t offset = 0;
  VisitProfileManager(ADM, [&](std::span<const std::uint8_t> APart) {
    same = same && offset + APart.size() <= ABytes.size() &&
           (APart.empty() || std::memcmp(APart.data(), ABytes.data() + offset, APart.size()) == 0);
    offset += APart.size();
  });
  return same && offset == ABytes.size();
}

}  // namespace

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

TMonitorOnFakes::TMonitorOnFakes(const TWorldKind& AKind, TApplication& AApp) : Options(AKind) {
  Platform.Audio.CaptureDevicePresent = AKind.MicrophonePresent;
  Platform.Desktop.UserBusy = AKind.UserBusy;
  if (AKind.ConfigProgramRuns) {
    Platform.Windows.WindowsByClass[CFG_MAIN_CLASS] = kConfigWindow;
    Platform.Desktop.LiveWindows.insert(kConfigWindow);
  }
  FDM = std::make_unique<TDM>(nullptr, Platform.Platform());
  FRegistryAtStart = Platform.Registry.Content();
  FMonitor = std::make_unique<TKORVALDZ314MONMAIN>(&AApp, Platform.Platform(), *FDM);
  FStateAtStart = State();
  FProfileManagerAtStart = ProfileManagerBytes(*FDM);
}

TMonitorOnFakes::~TMonitorOnFakes() {
  FMonitor.reset();
  FDM.reset();
  // The language in force is process-wide: what comes next starts from the original texts.
  RevertToOriginal();
}

TMonitorOnFakes::TState TMonitorOnFakes::State() {
  TState state;
  state.Muted = Platform.Audio.SystemMuted;
  state.LiveEndpoints = Platform.Audio.LiveEndpoints();
  state.Title = Window().Title;
  state.TrayHint = Tray().Hint;
  state.TrayIconState = Tray().IconState;
  return state;
}

void TMonitorOnFakes::BeginInput(std::optional<int> AMuteKey) {
  if (AMuteKey) {
    const Word former = FDM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[*AMuteKey].nFunctionCode;
    BindButton(*AMuteKey, kFunctionCodeMicrophoneMute);
    FBoundMuteKey = TBoundButton{*AMuteKey, former};
  }
}

void TMonitorOnFakes::EndInput() {
  // The mute key unbound as it was bound; whatever else the input changed in the profile
  // manager, its start again on the stored records as the start left them (it finds them
  // loadable and writes nothing).
  if (FBoundMuteKey) {
    BindButton(FBoundMuteKey->Key, FBoundMuteKey->FormerFunction);
    FBoundMuteKey.reset();
  }
  Platform.Registry.ReplaceContent(FRegistryAtStart);
  if (!ProfileManagerHolds(*FDM, FProfileManagerAtStart)) {
    FDM->DataModuleCreate(*FDM);
    Require(ProfileManagerHolds(*FDM, FProfileManagerAtStart));
  }
  // The microphone on; where the tray shows something else, it is told as when the
  // microphone's state changes elsewhere.
  Platform.Audio.SystemMuted = false;
  if (State() != FStateAtStart) {
    DeliverMessage(kWmMicrophoneMuteChanged, 0, 0);
  }

  Platform.Desktop.Delivered.clear();
  Platform.Desktop.SendTimeouts.clear();
  Platform.Desktop.Terminated = false;
  Platform.Debug.Clear();
  Platform.MessageBox.Shown.clear();
  Tray().Notices.clear();
  Tray().Calls.clear();
  Errors.clear();
  Require(State() == FStateAtStart);
}

void TMonitorOnFakes::BindButton(int AKey, Word AFunction) {
  FDM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[AKey].nFunctionCode = AFunction;
  // Stored too, so that the reload on a message of the configuration program keeps it.
  FDM->SaveCurrentProfileInfoToRegistry();
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

TMonitorOnFakes& StartedMonitor(const TWorldOptions& AOptions) {
  // Kept to the process's end, never destroyed: their destructors would run after those of
  // process-wide lists they use (the scenes to translate).
  static auto& app = *new TApplication;
  static auto& worlds = *new std::map<TWorldKind, std::unique_ptr<TMonitorOnFakes>>;
  auto& world = worlds[AOptions.Kind];
  if (!world) {
    world = std::make_unique<TMonitorOnFakes>(AOptions.Kind, app);
  }
  TMonitorOnFakes& chosen = *world;
  app.OnException = [&chosen](const std::u16string& AMessage) {
    chosen.Errors.push_back(AMessage);
  };
  chosen.BeginInput(AOptions.MuteKey);
  return chosen;
}

}  // namespace mon::fuzzing
