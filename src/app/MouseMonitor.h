// The monitor's main window, class TKORVALDZ314MONMAIN. It is never shown at start: its presence
// is the tray icon with its menu, and the window itself is the small About panel. It owns the
// components the monitor runs on and handles the mouse's reports, the arrival of devices and the
// configuration program's messages.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form_components.h"
#include "app/microphone_mute.h"
#include "app/monitor_options.h"
#include "app/tray_icon_look.h"
#include "framework/component.h"
#include "hid/uiHIDData.h"
#include "hid/uiHIDEvent.h"
#include "hook/uiHook.h"
#include "i18n/translation.h"
#include "i18n/uiLanguage.h"
#include "platform/desktop.h"
#include "platform/platform.h"
#include "platform/window_signal.h"
#include "profiles/DMUnit.h"
#include "ui/about_panel.h"

namespace mon {

// How long the monitor waits for the configuration program to take a profile notification: a
// responsive program answers at once, a hung one must not freeze the monitor.
inline constexpr std::uint32_t kConfigSendTimeoutMs = 3000;
inline constexpr std::uint32_t kDeviceArrivalDelayMs = 1500;
inline constexpr std::uintptr_t kTimerDeviceArrialId = 1;
inline constexpr char16_t kProfileIdValueName[] = u"ProfileID";
// The monitor's own messages to its window, outside the configuration program's numbers: the
// audio threads hand a mute change and a new default microphone to the main thread with them.
inline constexpr std::uint32_t kWmMicrophoneMuteChanged = 7600;
inline constexpr std::uint32_t kWmDefaultMicrophoneChanged = 7601;
// The texts of the microphone's state (hint and notices), translated like the tray's others.
inline constexpr char16_t kMicrophoneOnText[] = u"Microphone on";
inline constexpr char16_t kMicrophoneMutedText[] = u"Microphone muted";

class TKORVALDZ314MONMAIN : public TForm, private TAppWindowEvents {
 public:
  // APlatform and ADM must outlive the window. Runs FormCreate.
  TKORVALDZ314MONMAIN(TComponent* AOwner, TPlatform& APlatform, TDM& ADM);
  // Runs FormDestroy.
  ~TKORVALDZ314MONMAIN() override;

  std::u16string ClassName() const override { return u"TKORVALDZ314MONMAIN"; }

  // Toggles the microphone mute (the mute key's function).
  void MicrophoneMute() { FMicrophone.MicrophoneMute(); }
  bool VolumeUpdating() const { return FMicrophone.VolumeUpdating(); }

  TAppWindow& Window() { return *FWindow; }

 private:
  TPlatform& FPlatform;
  TDesktop& FDesktop;
  TDM& FDM;
  const TMonitorOptions FOptions;
  std::unique_ptr<TAppWindow> FWindow;
  // The audio threads' way to the main thread; detached before the window goes.
  std::shared_ptr<TWindowSignal> FMuteChangedSignal;
  std::shared_ptr<TWindowSignal> FDefaultMicrophoneSignal;
  // MON_QUIT_MESSAGE's number; 0 when the system gave none.
  std::uint32_t FQuitMessage = 0;
  TMicrophoneMute FMicrophone;

 public:
  // Components, in creation order.
  TAboutPanel FAboutPanel;
  TuiHook uiHook1;
  TuiLanguage uiLanguage1;
  TTrayIconComponent TrayIcon1;
  TPopupMenu MyPopupMenu;
  TMenuItem Config1;
  TMenuItem About1;
  TMenuItem Exit1;
  // The components that reach the device come last and are made once the tray icon is up: binding
  // the HID class and registering for arrivals are a tenth of the start the user waits through
  // for the icon. Present from then until the window goes.
  std::optional<TuiHIDData> uiHIDData1;
  std::optional<TTimer> TimerDeviceArrial;
  std::optional<TuiHIDEvent> uiHIDEvent1;

  // The About panel's texts follow the language through the translation module.
  class TPanelTexts final : public TTranslatedScene {
   public:
    explicit TPanelTexts(TAboutPanel& APanel) : FPanel(APanel) {}
    void Retranslate() override { FPanel.Retranslate(); }

   private:
    TAboutPanel& FPanel;
  };
  TPanelTexts FAboutPanelTexts;

  // The include list as config.ini gives it; nothing reads this copy.
  std::vector<std::u16string> FIncludeHidDeviceList;
  // The tray icon's files, found at creation, and the state and taskbar colours it shows.
  TTrayIconLook FTrayIconLook;

  // Published handlers.
  void FormCreate(TComponent& Sender);
  void FormDestroy(TComponent& Sender);
  void TrayIconDblClick(TComponent& Sender);
  void Config1Click(TComponent& Sender);
  void About1Click(TComponent& Sender);
  void Exit1Click(TComponent& Sender);
  void BtnOKClick();
  void BtnGoWebClick();
  void uiHIDData1Data(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                      std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size);
  void uiHIDEvent1DeviceArrival(TComponent& Sender);
  void TimerDeviceArrialTimer(TComponent& Sender);
  void CreateDeviceComponents();

  // Message handlers (the result is always 0).
  void WMMonitorKeyIndex(std::uintptr_t AWParam, std::intptr_t ALParam);
  void WMCfgProfileChanged(std::intptr_t ALParam);
  void WMCfgSettingsChanged();

 private:
  void InitializeMonitor();
  void LoadTrayIcon();
  // Puts FTrayIconLook's icon in the tray.
  void ShowTrayIcon();
  // The tray icon and hint for the microphone's state now (with TrayMicrophoneState on).
  void ShowMicrophoneState();
  // A notice beside the tray icon (with ShowNotices on, and not while the user is busy).
  void ShowNotice(const std::u16string& AText);
  // "PROFILE n", with the profile's stored name when it has its own.
  std::u16string ProfileNoticeText(int AProfile) const;
  void LoadIncludeHidDeviceList();
  void ApplyLanguageAndTrayTexts();
  void ShowOrLaunchConfig();
  void ProcessMessageAndSleep50ms();
  void DispatchButtonFunction(int AKeyIndex, int AFunctionCode, std::intptr_t ALParam);
  bool WriteProfileID(std::int32_t AValue);
  void ReopenDevice();

  // TAppWindowEvents
  bool HandleAppMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                        std::intptr_t ALParam) override;
  void TimerFired(std::uintptr_t ATimerId) override;
  void SessionEnding() override;
  void QuitRequested() override;
  void VisibleChanged(bool AVisible) override;
  void DpiChanged(int ADpi) override;
  void SystemSettingChanged(const std::u16string& AArea) override;
};

}  // namespace mon
