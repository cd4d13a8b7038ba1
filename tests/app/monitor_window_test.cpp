// The monitor's main window on the fake platform: what it shows at start, how it dispatches the
// mouse's reports and its own key-index message, the configuration program's messages, the
// arrival debounce, and the tray's Config and Exit.
#include "app/MouseMonitor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <thread>

#include "app/report_decoding.h"
#include "app/shared_definitions.h"
#include "fake_platform.h"
#include "framework/application.h"
#include "hid/hid_test_support.h"
#include "i18n/translation.h"
#include "main_thread_pump.h"
#include "profiles/DMUnit.h"

namespace mon::testing {
namespace {

constexpr TWindowHandle kConfigWindow = 0x77;
constexpr char16_t kIconFile[] = u"C:\\Program\\images\\0409\\icons\\logo.ico";
constexpr char16_t kMutedIconFile[] = u"C:\\Program\\images\\0409\\icons\\logo_muted.ico";
constexpr char16_t kLightTaskbarIconFile[] =
    u"C:\\Program\\images\\0409\\icons\\logo_light_taskbar.ico";
constexpr char16_t kMutedLightTaskbarIconFile[] =
    u"C:\\Program\\images\\0409\\icons\\logo_muted_light_taskbar.ico";
// The tray texts in the stored language, Chinese.
constexpr char16_t kHintTitle[] = u"GAMING MOUSE DRIVER";
constexpr char16_t kMutedText[] = u"\u9ea6\u514b\u98ce\u5df2\u9759\u97f3";
constexpr char16_t kOnText[] = u"\u9ea6\u514b\u98ce\u5df2\u5f00\u542f";

class MonitorWindowTest : public ::testing::Test {
 protected:
  MonitorWindowTest() {
    App.OnException = [this](const std::u16string& AMessage) { Errors.push_back(AMessage); };
  }
  ~MonitorWindowTest() override {
    Monitor.reset();
    DM.reset();
    // The language in force is process-wide and compares through this test's locale.
    RevertToOriginal();
  }

  // The configuration program runs (its window exists and answers).
  void StartConfigProgram() {
    Platform.Windows.WindowsByClass[CFG_MAIN_CLASS] = kConfigWindow;
    Platform.Desktop.LiveWindows.insert(kConfigWindow);
  }

  TFakeAppWindow& Window() { return static_cast<TFakeAppWindow&>(Monitor->Window()); }
  TFakeTrayIcon& Tray() { return *Platform.Desktop.LastTrayIcon; }

  void Post(std::uint32_t AMessage, std::uintptr_t AWParam, std::intptr_t ALParam) {
    Window().PostToSelf(AMessage, AWParam, ALParam);
    Window().DeliverPosted();
  }

  std::optional<std::uint32_t> ProfileID() const {
    const auto value = Platform.Registry.Value(
        kRegistryCurrentUser, DM->FOptionsFromConfigFile.ProfileRegFolder, kProfileIdValueName);
    if (!value || value->Bytes.size() != 4) {
      return std::nullopt;
    }
    std::uint32_t id = 0;
    std::memcpy(&id, value->Bytes.data(), 4);
    return id;
  }

  std::vector<TDeliveredMessage> DeliveredTo(TWindowHandle AWindow) const {
    std::vector<TDeliveredMessage> result;
    for (const auto& message : Platform.Desktop.Delivered) {
      if (message.Window == AWindow) {
        result.push_back(message);
      }
    }
    return result;
  }

  // Binds key AKey of the running monitor's current profile to AFunctionCode.
  void Bind(int AKey, Word AFunctionCode) {
    DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[AKey].nFunctionCode = AFunctionCode;
  }

  std::vector<std::u16string> VisibleMenuCaptions() {
    Tray().Events.TrayMenuRequested();
    std::vector<std::u16string> captions;
    for (const auto& item : Tray().LastMenu) {
      if (item.Visible) {
        captions.push_back(item.Caption);
      }
    }
    return captions;
  }

  // The monitor ends and starts again (on what the platform has then).
  void RestartMonitor() {
    Monitor.reset();
    Monitor = std::make_unique<TKORVALDZ314MONMAIN>(&App, Platform.Platform(), *DM);
  }

  // The user's taskbar colours as Windows 10 and 11 keep them (1: light, 0: dark).
  void SetSystemUsesLightTheme(std::uint8_t AValue) {
    Platform.Registry.SetValue(kRegistryCurrentUser, kPersonalizeKeyPath,
                               kSystemUsesLightThemeValueName, kRegistryDWord, {AValue, 0, 0, 0});
  }

  // Runs the main thread's queue (the readers' hand-over) until ADone holds.
  template <class TDone>
  bool PumpUntil(TDone ADone) {
    return PumpMainThreadUntil(Platform.MainThread, ADone);
  }

  TFakePlatform Platform;
  // The monitor's folder holds its tray icon before the monitor starts.
  bool IconPlaced = [this] {
    Platform.Files.AddFile(kIconFile, {0, 0, 1, 0});
    Platform.Files.AddFile(kMutedIconFile, {0, 0, 1, 0});
    return true;
  }();
  TApplication App;
  std::vector<std::u16string> Errors;
  std::unique_ptr<TDM> DM = std::make_unique<TDM>(nullptr, Platform.Platform());
  std::unique_ptr<TKORVALDZ314MONMAIN> Monitor =
      std::make_unique<TKORVALDZ314MONMAIN>(&App, Platform.Platform(), *DM);
};

TEST_F(MonitorWindowTest, StartsHiddenInTheTrayWithTheStoredLanguage) {
  EXPECT_FALSE(Window().IsVisible());
  EXPECT_EQ(Window().Options.ClassName, MON_MAIN_CLASS);
  EXPECT_TRUE(Tray().IsShown());
  EXPECT_EQ(Tray().IconFile, u"C:\\Program\\images\\0409\\icons\\logo.ico");
  // Language 0 of the embedded table is Chinese; About stays hidden.
  EXPECT_EQ(VisibleMenuCaptions(), (std::vector<std::u16string>{u"打开配置", u"退出软件"}));
  ASSERT_EQ(Tray().LastMenu.size(), 3u);
  EXPECT_FALSE(Tray().LastMenu[1].Visible);
}

// Binding the HID class and registering for arrivals wait until the user sees the icon; what the
// device and the registry see keeps its order.
TEST(MonitorStartTest, TheTrayIconShowsBeforeTheDeviceComponentsAreMade) {
  TFakePlatform platform;
  std::size_t registrationsAtShow = 99;
  platform.Desktop.OnTrayIconShown = [&] {
    registrationsAtShow = 0;
    for (const TFakeHiddenWindow* window : platform.HiddenWindows.Windows()) {
      registrationsAtShow += window->Registrations().size();
    }
  };
  TApplication application;
  TDM dm(nullptr, platform.Platform());
  {
    TKORVALDZ314MONMAIN monitor(&application, platform.Platform(), dm);
    EXPECT_EQ(registrationsAtShow, 0u);
    std::size_t registrations = 0;
    for (const TFakeHiddenWindow* window : platform.HiddenWindows.Windows()) {
      registrations += window->Registrations().size();
    }
    EXPECT_EQ(registrations, 1u);  // the arrival notifier's, made after the icon
    ASSERT_NE(monitor.FindComponent(u"uiHIDEvent1"), nullptr);
  }
  RevertToOriginal();  // the language in force is process-wide
}

TEST_F(MonitorWindowTest, TheAboutPanelHoldsItsImagesOnlyWhileItIsOnScreen) {
  EXPECT_FALSE(Monitor->FAboutPanel.HasImages());
  Window().Show();
  EXPECT_TRUE(Monitor->FAboutPanel.HasImages());
  EXPECT_NE(Monitor->FAboutPanel.BtnOK().Style().Normal, nullptr);
  Window().Hide();
  EXPECT_FALSE(Monitor->FAboutPanel.HasImages());
  EXPECT_EQ(Monitor->FAboutPanel.BtnOK().Style().Normal, nullptr);
  Window().Show();  // shown again: decoded again
  EXPECT_TRUE(Monitor->FAboutPanel.HasImages());
}

TEST_F(MonitorWindowTest, SettingsChangedReloadsTheLanguageAndRetranslatesTheTray) {
  TDM configProgram(nullptr, Platform.Platform());
  configProgram.FAllProfileSettingInfo.CurrentLanguage = 1;  // "US"
  configProgram.SaveBackAllProfileSettingInfo();
  EXPECT_EQ(VisibleMenuCaptions().front(), u"打开配置");  // nothing changes before the message

  Post(WM_CFG_SETTINGS_CHANGED, 0, 0);
  EXPECT_EQ(VisibleMenuCaptions(), (std::vector<std::u16string>{u"Config", u"Exit"}));
}

TEST_F(MonitorWindowTest, ProfileSelectionsWriteProfileIdAndTellTheConfigProgramBounded) {
  StartConfigProgram();
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 2, 1);
  EXPECT_EQ(ProfileID(), 2u);
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 4, 1);
  EXPECT_EQ(ProfileID(), 4u);
  const auto sent = DeliveredTo(kConfigWindow);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], (TDeliveredMessage{kConfigWindow, WM_MONITOR_PROFILE_SWITCHED, 2, 0, true}));
  EXPECT_EQ(sent[1].WParam, 4u);
  EXPECT_EQ(Platform.Desktop.SendTimeouts,
            (std::vector<std::uint32_t>{kConfigSendTimeoutMs, kConfigSendTimeoutMs}));
}

TEST_F(MonitorWindowTest, ProfileSelectionsWithoutFolderOrConfigProgramStillDoWhatTheyCan) {
  // The profile folder was removed meanwhile: it is not created again, the program still told.
  const std::u16string folder = DM->FOptionsFromConfigFile.ProfileRegFolder;
  Platform.Registry.DeleteKey(kRegistryCurrentUser, folder);
  StartConfigProgram();
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 1, 1);
  EXPECT_FALSE(Platform.Registry.KeyExists(kRegistryCurrentUser, folder));
  EXPECT_EQ(
      DeliveredTo(kConfigWindow),
      (std::vector<TDeliveredMessage>{{kConfigWindow, WM_MONITOR_PROFILE_SWITCHED, 1, 0, true}}));

  // The folder is back but the configuration program has ended: "ProfileID" is written and
  // nothing is delivered anywhere.
  Platform.Registry.SetValue(kRegistryCurrentUser, folder, u"other", kRegistryDWord, {0, 0, 0, 0});
  Platform.Desktop.LiveWindows.clear();
  Platform.Windows.WindowsByClass.clear();
  Platform.Desktop.Delivered.clear();
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 3, 1);
  EXPECT_EQ(ProfileID(), 3u);
  const std::uint8_t status[7] = {2, 9};
  Monitor->uiHIDData1Data(u"", u"", STATUS_REPORT_ID, status, 7);
  EXPECT_TRUE(Platform.Desktop.Delivered.empty());
  EXPECT_TRUE(Errors.empty());
}

TEST_F(MonitorWindowTest, TheMuteKeyTogglesOncePerPressAndOtherIndexesDoNothing) {
  StartConfigProgram();
  Bind(3, kFunctionCodeMicrophoneMute);
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_TRUE(Platform.Audio.SystemMuted);
  Platform.Audio.SystemMuted = false;  // another program unmutes meanwhile
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_TRUE(Platform.Audio.SystemMuted);  // inverted from the state as it then was
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_FALSE(Platform.Audio.SystemMuted);

  // Any process may post the message: indexes outside 0..13 and 21..25 are ignored.
  const int setMuteCalls = Platform.Audio.SetMuteCalls;
  for (std::uintptr_t index : {std::uintptr_t{14}, std::uintptr_t{20}, std::uintptr_t{26},
                               std::uintptr_t{1000}, std::numeric_limits<std::uintptr_t>::max()}) {
    Post(WM_MONITOR_KEY_INDEX, index, 1);
  }
  Post(WM_MONITOR_KEY_INDEX, 4, 1);  // a key bound to something else
  EXPECT_EQ(Platform.Audio.SetMuteCalls, setMuteCalls);
  EXPECT_EQ(ProfileID(), std::nullopt);
  EXPECT_TRUE(DeliveredTo(kConfigWindow).empty());
  EXPECT_TRUE(Errors.empty());
}

TEST_F(MonitorWindowTest, ProfileChangedReloadsTheStoredProfileAndWritesProfileId) {
  // The configuration program binds key 6 in the profile the monitor reloads and tells it.
  TDM configProgram(nullptr, Platform.Platform());
  configProgram.LoadProfileGroupSettingInfoFromRegistry();
  configProgram.LoadCurrentProfileInfoFromRegistry();
  configProgram.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[6].nFunctionCode =
      kFunctionCodeMicrophoneMute;
  configProgram.SaveCurrentProfileInfoToRegistry();

  Post(WM_MONITOR_KEY_INDEX, 6, 1);
  EXPECT_FALSE(Platform.Audio.SystemMuted);  // not taken up yet
  Post(WM_CFG_PROFILE_CHANGED, 0, 2);
  EXPECT_EQ(ProfileID(), 2u);
  Post(WM_MONITOR_KEY_INDEX, 6, 1);
  EXPECT_TRUE(Platform.Audio.SystemMuted);
}

TEST_F(MonitorWindowTest, AnArrivalBurstReopensTheDeviceOnceAndReportsAreDispatched) {
  StartConfigProgram();
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  EXPECT_FALSE(Window().IsTimerRunning(kTimerDeviceArrialId));
  Monitor->uiHIDEvent1DeviceArrival(*Monitor);
  Monitor->uiHIDEvent1DeviceArrival(*Monitor);
  ASSERT_TRUE(Window().IsTimerRunning(kTimerDeviceArrialId));
  EXPECT_EQ(Window().TimerInterval(kTimerDeviceArrialId), kDeviceArrivalDelayMs);
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathA), 0u);

  Window().FireTimer(kTimerDeviceArrialId);
  EXPECT_FALSE(Window().IsTimerRunning(kTimerDeviceArrialId));  // one shot
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));

  // A key report (key 5 alone) comes back to the window as its key-index message.
  Bind(5, kFunctionCodeMicrophoneMute);
  Platform.Hid.SendReport(kPathA, {KEY_REPORT_ID, 0x20, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(PumpUntil([&] { return Window().PostedCount() > 0; }));
  Window().DeliverPosted();
  EXPECT_TRUE(Platform.Audio.SystemMuted);
  const auto lines = Platform.Debug.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), u"KeyIndex = 5 postmessage record!");

  // A release (no key) does nothing; a status value goes to the configuration program.
  Platform.Hid.SendReport(kPathA, {KEY_REPORT_ID, 0, 0, 0, 0, 0, 0, 0});
  Platform.Hid.SendReport(kPathA, {STATUS_REPORT_ID, 0x02, 0x2A, 0, 0, 0, 0, 0});
  ASSERT_TRUE(PumpUntil([&] { return !DeliveredTo(kConfigWindow).empty(); }));
  Window().DeliverPosted();
  EXPECT_TRUE(Platform.Audio.SystemMuted);
  EXPECT_EQ(DeliveredTo(kConfigWindow),
            (std::vector<TDeliveredMessage>{{kConfigWindow, WM_MONITOR_STATUS_2, 0x2A, 0, false}}));
  Monitor.reset();  // stops the readers before the fakes go
}

TEST_F(MonitorWindowTest, EachReopenReplacesTheReaderSoAPressTogglesOnce) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  Bind(5, kFunctionCodeMicrophoneMute);
  for (int arrival = 0; arrival < 2; ++arrival) {
    Monitor->uiHIDEvent1DeviceArrival(*Monitor);
    Window().FireTimer(kTimerDeviceArrialId);
  }
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathA), 1u);

  Platform.Hid.SendReport(kPathA, {KEY_REPORT_ID, 0x20, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(PumpUntil([&] { return Window().PostedCount() > 0; }));
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));
  Window().DeliverPosted();
  EXPECT_EQ(Platform.Audio.SetMuteCalls, 1);
  EXPECT_TRUE(Platform.Audio.SystemMuted);
  Monitor.reset();
}

TEST_F(MonitorWindowTest, TheEndOfTheLogonEndsTheLoopWithoutTellingTheConfigProgram) {
  StartConfigProgram();
  Window().EndSession();
  EXPECT_TRUE(Platform.Desktop.Terminated);
  EXPECT_TRUE(DeliveredTo(kConfigWindow).empty());
}

TEST_F(MonitorWindowTest, TrayClickShowsARunningConfigProgramOrStartsItFromTheMonitorsFolder) {
  Tray().Events.TrayClicked();
  ASSERT_EQ(Platform.Desktop.ShellOpens.size(), 1u);
  EXPECT_EQ(Platform.Desktop.ShellOpens[0].File, u"C:\\Program\\KORVALDZ314.EXE");
  EXPECT_EQ(Platform.Desktop.ShellOpens[0].WorkingFolder, u"C:\\Program\\");

  StartConfigProgram();
  Tray().Events.TrayClicked();
  EXPECT_EQ(Platform.Desktop.ShownWindows, (std::vector<TWindowHandle>{kConfigWindow}));
  EXPECT_EQ(Platform.Desktop.ShellOpens.size(), 1u);  // no second copy
}

TEST_F(MonitorWindowTest, TheQuitMessageEndsTheMonitorAsExitDoes) {
  StartConfigProgram();
  // Another program (an installer) registers the message by its name and sends it.
  Post(Platform.Desktop.RegisteredMessage(MON_QUIT_MESSAGE), 0, 0);
  EXPECT_TRUE(Platform.Desktop.Terminated);
  EXPECT_EQ(DeliveredTo(kConfigWindow),
            (std::vector<TDeliveredMessage>{{kConfigWindow, WM_MONITOR_EXIT, 0, 0, false}}));
}

TEST_F(MonitorWindowTest, APressShowsTheMicrophonesStateInTheTrayAndANotice) {
  EXPECT_EQ(Tray().Hint, std::u16string(kHintTitle) + u"\n" + kOnText);  // from the start
  Bind(3, kFunctionCodeMicrophoneMute);
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Muted);
  EXPECT_EQ(Tray().IconFile, kMutedIconFile);
  EXPECT_EQ(Tray().Hint, std::u16string(kHintTitle) + u"\n" + kMutedText);
  EXPECT_EQ(Tray().Notices, (std::vector<std::u16string>{kMutedText}));
  // While a full-screen program runs the icon still changes, but no notice comes.
  Platform.Desktop.UserBusy = true;
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);
  EXPECT_EQ(Tray().IconFile, kIconFile);
  EXPECT_EQ(Tray().Notices.size(), 1u);
  // A profile selected on the mouse: its number, and its own name when the user gave it one.
  Platform.Desktop.UserBusy = false;
  WriteFixedText(DM->FProfileSettingGroup.ProfileSettingList[3].szProfileFileName, u"Shooter.pfd");
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 2, 1);
  Post(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 3, 1);
  EXPECT_EQ(Tray().Notices, (std::vector<std::u16string>{kMutedText, u"\u65b9\u6848 3",
                                                         u"\u65b9\u6848 4: Shooter"}));
}

TEST_F(MonitorWindowTest, ChangesElsewhereAndANewDefaultMicrophoneReachTheTrayOnTheMainThread) {
  // Another program mutes: the sink, on an audio thread, only posts to the window.
  Platform.Audio.SystemMuted = true;
  const auto sink = Platform.Audio.RegisteredCallback();
  ASSERT_TRUE(sink);
  std::thread([&] { sink->OnNotify({}); }).join();
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);
  EXPECT_EQ(Window().DeliverPosted(), 1);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Muted);

  // A headset becomes the default microphone: its endpoint replaces the old one, whose sink is
  // unregistered first, and the next press mutes the headset, not the old microphone.
  Platform.Audio.HeadsetIsDefault = true;
  const auto watch = Platform.Audio.DeviceWatchCallback();
  ASSERT_TRUE(watch);
  std::thread([&] { watch->DefaultCaptureDeviceChanged(); }).join();
  EXPECT_EQ(Window().DeliverPosted(), 1);
  EXPECT_FALSE(Platform.Audio.ReleasedWhileRegistered);
  EXPECT_EQ(Platform.Audio.LiveEndpoints(), 1);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);  // the headset is not muted
  Bind(3, kFunctionCodeMicrophoneMute);
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_TRUE(Platform.Audio.HeadsetMuted);
  EXPECT_TRUE(Platform.Audio.SystemMuted);  // as the other program left it

  // The last microphone goes: no endpoint, no message, the plain icon and hint.
  const std::size_t boxes = Platform.MessageBox.Shown.size();
  Platform.Audio.CaptureDevicePresent = false;
  std::thread([&] { watch->DefaultCaptureDeviceChanged(); }).join();
  Window().DeliverPosted();
  EXPECT_EQ(Platform.Audio.LiveEndpoints(), 0);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);
  EXPECT_EQ(Tray().Hint, kHintTitle);
  EXPECT_EQ(Platform.MessageBox.Shown.size(), boxes);
}

// A dark mouse on a light taskbar, a white one on a dark taskbar, in both states of the
// microphone, and a switch of the colours followed without a restart.
TEST_F(MonitorWindowTest, TheTrayIconFollowsTheTaskbarsColoursInBothMicrophoneStates) {
  Platform.Files.AddFile(kLightTaskbarIconFile, {0, 0, 1, 0});
  Platform.Files.AddFile(kMutedLightTaskbarIconFile, {0, 0, 1, 0});
  SetSystemUsesLightTheme(1);
  RestartMonitor();
  EXPECT_EQ(Tray().IconFile, kLightTaskbarIconFile);
  EXPECT_EQ(Tray().IconTheme, TTaskbarTheme::Light);
  Bind(3, kFunctionCodeMicrophoneMute);
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_EQ(Tray().IconFile, kMutedLightTaskbarIconFile);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Muted);

  // Switched to dark: followed when the system says the colours changed, not on other changes.
  SetSystemUsesLightTheme(0);
  Window().ChangeSystemSetting(u"intl");
  Window().ChangeSystemSetting(u"");
  EXPECT_EQ(Tray().IconFile, kMutedLightTaskbarIconFile);
  Window().ChangeSystemSetting(kColorSetSettingArea);
  EXPECT_EQ(Tray().IconFile, kMutedIconFile);
  EXPECT_EQ(Tray().IconTheme, TTaskbarTheme::Dark);
  Post(WM_MONITOR_KEY_INDEX, 3, 1);
  EXPECT_EQ(Tray().IconFile, kIconFile);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);

  // And back to light, unmuted.
  SetSystemUsesLightTheme(1);
  Window().ChangeSystemSetting(kColorSetSettingArea);
  EXPECT_EQ(Tray().IconFile, kLightTaskbarIconFile);
  EXPECT_EQ(Tray().IconTheme, TTaskbarTheme::Light);

  // Without the light taskbar's files: the program's own icon for a light taskbar.
  Platform.Files.RemoveFile(kLightTaskbarIconFile);
  RestartMonitor();
  EXPECT_EQ(Tray().IconFile, std::nullopt);
  EXPECT_EQ(Tray().IconTheme, TTaskbarTheme::Light);
  EXPECT_EQ(Tray().IconState, TTrayIconState::Normal);
}

// The About panel is laid out for the screen its window is on, and again when that changes; its
// images are those drawn for the resolution (shrunk from the next larger where none are).
TEST_F(MonitorWindowTest, TheAboutPanelTakesTheResolutionOfItsScreen) {
  Platform.Desktop.DpiOfNewWindows = 144;
  RestartMonitor();
  TAboutPanel& panel = Monitor->FAboutPanel;
  EXPECT_EQ(Window().Scene, &panel);
  EXPECT_EQ(panel.Width(), 756);
  EXPECT_EQ(panel.Height(), 600);
  EXPECT_EQ(Window().Options.ClientWidth, 504);  // at 96 DPI: the window scales it
  Window().Show();
  ASSERT_TRUE(panel.HasImages());
  EXPECT_EQ(panel.Background().Image()->Width, 756u);

  // Moved to a 200 % screen while shown: the 2x images.
  Window().ChangeDpi(192);
  EXPECT_EQ(panel.Width(), 1008);
  ASSERT_TRUE(panel.HasImages());
  EXPECT_EQ(panel.Background().Image()->Width, 1008u);
  EXPECT_EQ(panel.BtnOK().AbsoluteBounds(), (TRect{416, 650, 188, 54}));
  // ... to a 125 % one: the 1.5x images shrunk.
  Window().ChangeDpi(120);
  EXPECT_EQ(panel.Height(), 500);
  EXPECT_EQ(panel.Background().Image()->Height, 500u);
  // Hidden, then moved back to 100 %: no images held, the 1x ones when shown.
  Window().Hide();
  Window().ChangeDpi(96);
  EXPECT_FALSE(panel.HasImages());
  EXPECT_EQ(panel.Width(), 504);
  Window().Show();
  EXPECT_EQ(panel.Background().Image()->Width, 504u);
  EXPECT_EQ(panel.Label1().Style().Size, 16);
}

TEST(MonitorWindowSwitchesTest, BothSwitchesOffGiveTodaysTrayCalls) {
  TFakePlatform platform;
  platform.Files.AddFile(kIconFile, {0, 0, 1, 0});
  platform.Files.AddTextFile(u"C:\\Program\\config.ini",
                             "[OtherConfig]\nTrayMicrophoneState=0\nShowNotices=0\n");
  TApplication application;
  TDM dm(nullptr, platform.Platform());
  {
    TKORVALDZ314MONMAIN monitor(&application, platform.Platform(), dm);
    auto& window = static_cast<TFakeAppWindow&>(monitor.Window());
    dm.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[3].nFunctionCode = kFunctionCodeMicrophoneMute;
    // A press, a selection, a change elsewhere and a new default microphone.
    window.PostToSelf(WM_MONITOR_KEY_INDEX, 3, 1);
    window.PostToSelf(WM_MONITOR_KEY_INDEX, kFirstProfileKeyIndex + 1, 1);
    platform.Audio.RegisteredCallback()->OnNotify({});
    platform.Audio.DeviceWatchCallback()->DefaultCaptureDeviceChanged();
    window.DeliverPosted();
    EXPECT_TRUE(platform.Audio.SystemMuted);  // the mute key works as ever
    EXPECT_EQ(
        platform.Desktop.LastTrayIcon->Calls,
        (std::vector<std::u16string>{u"Show", u"SetIcon " + std::u16string(kIconFile) + u" Normal",
                                     u"SetHint \u6e38\u620f\u9f20\u6807\u9a71\u52a8",
                                     u"SetHint GAMING MOUSE DRIVER"}));
  }
  RevertToOriginal();  // the language in force is process-wide
}

TEST_F(MonitorWindowTest, ExitTellsTheConfigProgramOnceAndEndsTheLoop) {
  StartConfigProgram();
  Tray().NextMenuChoice = 2;  // Config, About (hidden), Exit
  Tray().Events.TrayMenuRequested();
  EXPECT_TRUE(Platform.Desktop.Terminated);
  EXPECT_EQ(DeliveredTo(kConfigWindow),
            (std::vector<TDeliveredMessage>{{kConfigWindow, WM_MONITOR_EXIT, 0, 0, false}}));
}

}  // namespace
}  // namespace mon::testing
