#include "app/MouseMonitor.h"

#include <stdexcept>

#include "app/report_decoding.h"
#include "app/shared_definitions.h"
#include "framework/application.h"
#include "framework/text.h"
#include "hid/hid_matching.h"
#include "i18n/embedded_table.h"
#include "i18n/translation.h"
#include "platform/registry.h"

namespace mon {

namespace {

constexpr int kMainWindowWidth = 504;
constexpr int kMainWindowHeight = 400;

TAppWindowOptions MainWindowOptions() {
  TAppWindowOptions options;
  options.ClassName = MON_MAIN_CLASS;
  options.Title = MON_TITLE;
  options.ClientWidth = kMainWindowWidth;
  options.ClientHeight = kMainWindowHeight;
  options.Borderless = true;
  return options;
}

// The components below the window are built on it: without one, creation ends here.
std::unique_ptr<TAppWindow> CreateMainWindow(TDesktop& ADesktop, TAppWindowEvents& AEvents) {
  auto window = ADesktop.CreateAppWindow(MainWindowOptions(), AEvents);
  if (!window) {
    throw std::runtime_error("the main window cannot be created");
  }
  return window;
}

}  // namespace

TKORVALDZ314MONMAIN::TKORVALDZ314MONMAIN(TComponent* AOwner, TPlatform& APlatform, TDM& ADM)
    : TForm(AOwner),
      FPlatform(APlatform),
      FDesktop(APlatform.Desktop),
      FDM(ADM),
      FOptions(LoadMonitorOptions(APlatform.Files, APlatform.Locale)),
      FWindow(CreateMainWindow(FDesktop, *this)),
      FMuteChangedSignal(std::make_shared<TWindowSignal>(*FWindow, kWmMicrophoneMuteChanged)),
      FDefaultMicrophoneSignal(
          std::make_shared<TWindowSignal>(*FWindow, kWmDefaultMicrophoneChanged)),
      FMicrophone(
          APlatform.Audio, APlatform.MessageBox,
          {.MuteChanged = [signal = FMuteChangedSignal] { signal->Post(); },
           .DefaultDeviceChanged = [signal = FDefaultMicrophoneSignal] { signal->Post(); }}),
      FAboutPanel(this, TAboutPanelImages{},  // decoded when the panel is shown
                  [](const std::u16string& AText) { return TranslateText(AText); }),
      uiHook1(this, APlatform),
      uiLanguage1(this, APlatform),
      TrayIcon1(this, FDesktop, *FWindow),
      MyPopupMenu(this),
      Config1(&MyPopupMenu),
      About1(&MyPopupMenu),
      Exit1(&MyPopupMenu),
      FAboutPanelTexts(FAboutPanel),
      FTrayIconLook(APlatform.Files, APlatform.Registry) {
  SetName(u"KORVALDZ314MONMAIN");
  FAboutPanel.SetName(u"vgScene1");
  uiHook1.SetName(u"uiHook1");
  uiLanguage1.SetName(u"uiLanguage1");
  TrayIcon1.SetName(u"TrayIcon1");
  MyPopupMenu.SetName(u"MyPopupMenu");
  Config1.SetName(u"Config1");
  About1.SetName(u"About1");
  Exit1.SetName(u"Exit1");

  // Wiring, as the window's form data holds it.
  Config1.SetCaption(u"Config");
  Config1.OnClick = [this](TComponent& ASender) { Config1Click(ASender); };
  About1.SetCaption(u"About");
  About1.Visible = false;
  About1.OnClick = [this](TComponent& ASender) { About1Click(ASender); };
  Exit1.SetCaption(u"Exit");
  Exit1.OnClick = [this](TComponent& ASender) { Exit1Click(ASender); };
  MyPopupMenu.AutoHotkeys = false;
  TrayIcon1.PopupMenu = &MyPopupMenu;
  TrayIcon1.OnClick = [this](TComponent& ASender) { TrayIconDblClick(ASender); };
  FAboutPanel.BtnOK().OnClick = [this](TButtonElement&) { BtnOKClick(); };
  FAboutPanel.BtnGoWeb().OnClick = [this](TButtonElement&) { BtnGoWebClick(); };
  // The language component's form data: the embedded table, after the languages of ui.local.
  uiLanguage1.BeginLoading();
  uiLanguage1.ReadResourcesBin(EmbeddedResourcesBin());
  uiLanguage1.EndLoading();
  RegisterTranslatedScene(FAboutPanelTexts);
  FQuitMessage = FDesktop.RegisteredMessage(MON_QUIT_MESSAGE);

  // The panel takes the resolution of the screen its window is on.
  FAboutPanel.SetDpi(FWindow->Dpi());
  FWindow->ShowScene(&FAboutPanel);
  TrayIcon1.SetVisible(true);
  CreateDeviceComponents();
  FormCreate(*this);
}

void TKORVALDZ314MONMAIN::CreateDeviceComponents() {
  uiHIDData1.emplace(this, FPlatform);
  TimerDeviceArrial.emplace(this, *FWindow, kTimerDeviceArrialId);
  uiHIDEvent1.emplace(this, FPlatform.HiddenWindows);
  uiHIDData1->SetName(u"uiHIDData1");
  TimerDeviceArrial->SetName(u"TimerDeviceArrial");
  uiHIDEvent1->SetName(u"uiHIDEvent1");
  uiHIDData1->SetFastOnData(false);
  uiHIDData1->SetOnData([this](const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                               std::uint8_t AReportID, const std::uint8_t* AData,
                               std::uint16_t ASize) {
    uiHIDData1Data(ADeviceID, ADevicePath, AReportID, AData, ASize);
  });
  TimerDeviceArrial->SetInterval(kDeviceArrivalDelayMs);
  TimerDeviceArrial->OnTimer = [this](TComponent& ASender) { TimerDeviceArrialTimer(ASender); };
  uiHIDEvent1->OnDeviceArrival = [this](TComponent& ASender) { uiHIDEvent1DeviceArrival(ASender); };
}

TKORVALDZ314MONMAIN::~TKORVALDZ314MONMAIN() {
  // A late call of an audio thread must find no window to post to.
  FMuteChangedSignal->Detach();
  FDefaultMicrophoneSignal->Detach();
  FWindow->ShowScene(nullptr);
  UnregisterTranslatedScene(FAboutPanelTexts);
  FormDestroy(*this);
  TrayIcon1.SetVisible(false);
}

// Creation and destruction ----------------------------------------------------------------------

void TKORVALDZ314MONMAIN::FormCreate(TComponent&) {
  InitializeMonitor();
}

void TKORVALDZ314MONMAIN::FormDestroy(TComponent&) {
  uiHIDData1->HidStopRead();
}

void TKORVALDZ314MONMAIN::InitializeMonitor() {
  LoadTrayIcon();
  LoadIncludeHidDeviceList();
  ApplyLanguageAndTrayTexts();
  if (FMicrophone.UsesAudioEndpoint()) {
    FMicrophone.OpenAudioEndpoint();
    // The microphone the user talks into is the default one: follow it when it changes.
    FMicrophone.WatchDefaultDevice();
    ShowMicrophoneState();
  }
  // The device is opened by the arrival path: the arrival notifier raises one arrival 1.5 s
  // after its creation.
}

void TKORVALDZ314MONMAIN::LoadTrayIcon() {
  FTrayIconLook.Load();
  ShowTrayIcon();
}

void TKORVALDZ314MONMAIN::ShowTrayIcon() {
  TrayIcon1.SetIcon(FTrayIconLook.File(), FTrayIconLook.State(), FTrayIconLook.Theme());
}

void TKORVALDZ314MONMAIN::ShowMicrophoneState() {
  if (!FOptions.TrayMicrophoneState) {
    return;
  }
  // Without a microphone (or a state to read) the icon and hint are as they always were.
  const std::optional<bool> muted = FMicrophone.MuteState();
  FTrayIconLook.SetState(muted.value_or(false) ? TTrayIconState::Muted : TTrayIconState::Normal);
  ShowTrayIcon();
  std::u16string hint = TranslateText(DRIVER_TITLE);
  if (muted) {
    hint += u'\n';
    hint += TranslateText(*muted ? kMicrophoneMutedText : kMicrophoneOnText);
  }
  TrayIcon1.SetHint(hint);
}

void TKORVALDZ314MONMAIN::ShowNotice(const std::u16string& AText) {
  if (!FOptions.ShowNotices || FDesktop.UserIsBusy()) {
    return;
  }
  // No title: the system names the program, and the text says it all.
  TrayIcon1.ShowNotice(u"", AText);
}

std::u16string TKORVALDZ314MONMAIN::ProfileNoticeText(int AProfile) const {
  const std::u16string number = IntToText(AProfile + 1);
  std::u16string text = TranslateText(u"PROFILE " + number);
  // A profile the user named has a file name of its own (the defaults are prefix + number).
  const auto& entry = FDM.FProfileSettingGroup.ProfileSettingList[AProfile];
  std::u16string name = ReadFixedText(entry.szProfileFileName);
  if (name.size() > 4 &&
      SameTextIgnoreCase(std::u16string_view(name).substr(name.size() - 4), u".pfd")) {
    name.resize(name.size() - 4);
  }
  if (!name.empty() &&
      !SameTextIgnoreCase(name, FDM.FOptionsFromConfigFile.ProfileNamePrefix + number)) {
    text += u": ";
    text += name;
  }
  return text;
}

void TKORVALDZ314MONMAIN::LoadIncludeHidDeviceList() {
  FIncludeHidDeviceList = LoadIncludeHIDDeviceList(FPlatform.Files, FPlatform.Locale);
}

void TKORVALDZ314MONMAIN::ApplyLanguageAndTrayTexts() {
  const int wanted = FDM.FAllProfileSettingInfo.CurrentLanguage;
  if (uiLanguage1.GetLanguageIndexByShortID(uiLanguage1.Lang()) != wanted) {
    uiLanguage1.SetLang(uiLanguage1.GetLanguageShortIDByIndex(wanted));
  }
  TrayIcon1.SetHint(TranslateText(u"Gaming Mouse Driver"));
  const auto setTitle = [this](const std::u16string& ATitle) {
    if (Application() != nullptr) {
      Application()->SetTitle(ATitle);
    }
    FWindow->SetTitle(ATitle);
  };
  setTitle(TranslateText(MON_TITLE));
  Config1.SetCaption(TranslateText(u"Config"));
  About1.SetCaption(TranslateText(u"About"));
  Exit1.SetCaption(TranslateText(u"Exit"));
  // The hint the tray finally shows is the driver title's.
  TrayIcon1.SetHint(TranslateText(DRIVER_TITLE));
  setTitle(TranslateText(MON_TITLE));
  // ... with the microphone's state below it, in the new language too.
  if (FMicrophone.HasAudioEndpoint()) {
    ShowMicrophoneState();
  }
}

// Tray and menu ---------------------------------------------------------------------------------

void TKORVALDZ314MONMAIN::TrayIconDblClick(TComponent&) {
  ShowOrLaunchConfig();
}

void TKORVALDZ314MONMAIN::Config1Click(TComponent&) {
  ShowOrLaunchConfig();
}

void TKORVALDZ314MONMAIN::ShowOrLaunchConfig() {
  const TWindowHandle config = FindConfigWindow(FPlatform.Windows);
  if (config != 0) {
    FDesktop.ShowAndForeground(config);
    return;
  }
  // Started by its full path, so the monitor's own working folder never matters.
  const std::u16string folder = FPlatform.Files.ExecutableFolder();
  FDesktop.ShellOpen(IncludeTrailingBackslash(folder) + CFG_EXE_NAME, folder, 0,
                     TShowCommand::Show);
}

void TKORVALDZ314MONMAIN::About1Click(TComponent&) {
  FWindow->Show();
  ProcessMessageAndSleep50ms();
  FWindow->BringToForeground();
}

void TKORVALDZ314MONMAIN::Exit1Click(TComponent&) {
  FDesktop.PostToWindow(FindConfigWindow(FPlatform.Windows), WM_MONITOR_EXIT, 0, 0);
  FDesktop.Terminate();
}

void TKORVALDZ314MONMAIN::VisibleChanged(bool AVisible) {
  // The panel's pictures are needed only while it is on screen (about 1 MB of pixels at 96
  // DPI, 4 MB at 192).
  FAboutPanel.SetImages(AVisible ? LoadAboutPanelImages(FAboutPanel.Dpi()) : TAboutPanelImages{});
}

void TKORVALDZ314MONMAIN::DpiChanged(int ADpi) {
  FAboutPanel.SetDpi(ADpi);
  if (FAboutPanel.HasImages()) {
    // On screen: the images of the scale that suits the new resolution.
    FAboutPanel.SetImages(LoadAboutPanelImages(FAboutPanel.Dpi()));
  }
}

void TKORVALDZ314MONMAIN::SystemSettingChanged(const std::u16string& AArea) {
  // Light or dark colours were switched: the tray icon follows the taskbar's.
  if (AArea == kColorSetSettingArea && FTrayIconLook.ReloadTheme()) {
    ShowTrayIcon();
  }
}

void TKORVALDZ314MONMAIN::SessionEnding() {
  // The logon ends: the loop ends as after Exit (the guard is released, the readers stop), but
  // the configuration program is not told; it ends with the logon too.
  FDesktop.Terminate();
}

void TKORVALDZ314MONMAIN::QuitRequested() {
  // Asked to end by the user or the system outside the menu: the same end as Exit.
  Exit1Click(*this);
}

void TKORVALDZ314MONMAIN::BtnOKClick() {
  FWindow->Hide();
}

void TKORVALDZ314MONMAIN::BtnGoWebClick() {
  FDesktop.ShellOpen(FAboutPanel.WebAddress(), u"", FWindow->Handle(), TShowCommand::ShowNormal);
}

// Device reports --------------------------------------------------------------------------------

void TKORVALDZ314MONMAIN::uiHIDData1Data(const std::u16string&, const std::u16string&,
                                         std::uint8_t ReportID, const std::uint8_t* Data,
                                         std::uint16_t Size) {
  const TReportAction action = DecodeInputReport(ReportID, Data, Size);
  switch (action.Kind) {
    case TReportAction::TKind::PostKeyIndexToSelf:
      if (ReportID == KEY_REPORT_ID) {
        FPlatform.Debug.Write(u"KeyIndex = " + IntToText(static_cast<std::int64_t>(action.WParam)) +
                              u" postmessage record!");
      }
      FWindow->PostToSelf(action.Message, action.WParam, 1);
      break;
    case TReportAction::TKind::PostToConfig:
      FDesktop.PostToWindow(FindConfigWindow(FPlatform.Windows), action.Message, action.WParam, 0);
      break;
    case TReportAction::TKind::None:
      break;
  }
}

void TKORVALDZ314MONMAIN::WMMonitorKeyIndex(std::uintptr_t AWParam, std::intptr_t ALParam) {
  const TWindowHandle config = FindConfigWindow(FPlatform.Windows);
  const TKeyIndexAction action = ClassifyKeyIndex(AWParam);
  switch (action.Kind) {
    case TKeyIndexAction::TKind::SelectProfile:
      WriteProfileID(action.Index);
      // Sent whether or not the registry write succeeded; bounded so a hung configuration
      // program cannot freeze the monitor.
      FDesktop.SendToWindow(config, WM_MONITOR_PROFILE_SWITCHED,
                            static_cast<std::uintptr_t>(action.Index), 0, kConfigSendTimeoutMs);
      ShowNotice(ProfileNoticeText(action.Index));
      break;
    case TKeyIndexAction::TKind::Button: {
      const auto& button =
          FDM.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[static_cast<std::size_t>(action.Index)];
      DispatchButtonFunction(action.Index, button.nFunctionCode, ALParam);
      break;
    }
    case TKeyIndexAction::TKind::Ignore:
      break;
  }
}

void TKORVALDZ314MONMAIN::DispatchButtonFunction(int, int AFunctionCode, std::intptr_t) {
  if (AFunctionCode == kFunctionCodeMicrophoneMute) {
    MicrophoneMute();
    ShowMicrophoneState();
    if (const std::optional<bool> muted = FMicrophone.MuteState()) {
      ShowNotice(TranslateText(*muted ? kMicrophoneMutedText : kMicrophoneOnText));
    }
  }
}

bool TKORVALDZ314MONMAIN::WriteProfileID(std::int32_t AValue) {
  auto key =
      FPlatform.Registry.OpenKey(kRegistryCurrentUser, FDM.FOptionsFromConfigFile.ProfileRegFolder,
                                 /*ACreate=*/false, TRegistryAccess::ReadWrite);
  if (!key) {
    return false;
  }
  key->WriteDWord(kProfileIdValueName, static_cast<std::uint32_t>(AValue));
  return true;
}

// Messages of the configuration program ---------------------------------------------------------

void TKORVALDZ314MONMAIN::WMCfgProfileChanged(std::intptr_t ALParam) {
  FDM.LoadProfileGroupSettingInfoFromRegistry();
  FDM.LoadAllProfileInfoFromRegistry();
  FDM.LoadCurrentProfileInfoFromRegistry();
  WriteProfileID(static_cast<std::int32_t>(ALParam));
}

void TKORVALDZ314MONMAIN::WMCfgSettingsChanged() {
  FDM.LoadAllProfileInfoFromRegistry();
  ApplyLanguageAndTrayTexts();
}

bool TKORVALDZ314MONMAIN::HandleAppMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                                           std::intptr_t ALParam) {
  if (AMessage == FQuitMessage && FQuitMessage != 0) {
    Exit1Click(*this);  // asked from outside (an installer): the same end as from the menu
    return true;
  }
  switch (AMessage) {
    case kWmMicrophoneMuteChanged:
      // Changed elsewhere (another program, the sound settings, a headset's button).
      ShowMicrophoneState();
      return true;
    case kWmDefaultMicrophoneChanged:
      // The endpoint of the new default device replaces the old one (its sink unregistered
      // first); no device at all leaves none, without a message.
      FMicrophone.OpenAudioEndpoint();
      ShowMicrophoneState();
      return true;
    case WM_MONITOR_KEY_INDEX:
      WMMonitorKeyIndex(AWParam, ALParam);
      return true;
    case WM_CFG_PROFILE_CHANGED:
      WMCfgProfileChanged(ALParam);
      return true;
    case WM_CFG_SETTINGS_CHANGED:
      WMCfgSettingsChanged();
      return true;
    default:
      return false;
  }
}

// Device arrival --------------------------------------------------------------------------------

void TKORVALDZ314MONMAIN::uiHIDEvent1DeviceArrival(TComponent&) {
  // A burst of arrivals leads to one re-open, 1.5 s after the last of them.
  TimerDeviceArrial->SetEnabled(false);
  TimerDeviceArrial->SetEnabled(true);
}

void TKORVALDZ314MONMAIN::TimerDeviceArrialTimer(TComponent&) {
  TimerDeviceArrial->SetEnabled(false);
  ReopenDevice();
}

void TKORVALDZ314MONMAIN::TimerFired(std::uintptr_t ATimerId) {
  if (TimerDeviceArrial) {  // none of ours can run before it exists
    TimerDeviceArrial->Fired(ATimerId);
  }
}

void TKORVALDZ314MONMAIN::ReopenDevice() {
  uiHIDData1->HidStopRead();
  ProcessMessageAndSleep50ms();
  uiHIDData1->HidFindAndReadDevice(DeviceUsageAndPage, u"*");
}

void TKORVALDZ314MONMAIN::ProcessMessageAndSleep50ms() {
  FDesktop.ProcessPendingMessages();
  FDesktop.Sleep(50);
}

}  // namespace mon
