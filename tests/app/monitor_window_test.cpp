// The monitor's main window on the fake platform: what it shows at start, how it dispatches the
// mouse's reports and its own key-index message, the configuration program's messages, the
// arrival debounce, and the tray's Config and Exit.
#include "app/MouseMonitor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

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

  // Runs the main thread's queue (the readers' hand-over) until ADone holds.
  template <class TDone>
  bool PumpUntil(TDone ADone) {
    return PumpMainThreadUntil(Platform.MainThread, ADone);
  }

  TFakePlatform Platform;
  // The monitor's folder holds its tray icon before the monitor starts.
  bool IconPlaced = [this] {
    Platform.Files.AddFile(u"C:\\Program\\images\\0409\\icons\\logo.ico", {0, 0, 1, 0});
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
