// The Win32 desktop layer in real windows (under Wine in CI).
#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include "platform/win32/dpi.h"
#include "platform/win32/unique_resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mon {
namespace {

class TRecordingEvents : public TAppWindowEvents {
 public:
  std::uint32_t LastMessage = 0;
  std::uintptr_t LastWParam = 0;
  std::intptr_t LastLParam = 0;
  int Timers = 0;
  std::vector<int> DpiChanges;
  std::vector<std::u16string> SettingAreas;
  bool HandleAppMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                        std::intptr_t ALParam) override {
    LastMessage = AMessage;
    LastWParam = AWParam;
    LastLParam = ALParam;
    return true;
  }
  void TimerFired(std::uintptr_t) override { ++Timers; }
  void DpiChanged(int ADpi) override { DpiChanges.push_back(ADpi); }
  void SystemSettingChanged(const std::u16string& AArea) override { SettingAreas.push_back(AArea); }
};

// The system's resolution as the screen's device context says.
int ScreenDpi() {
  const win32::TUniqueWindowDC screen(::GetDC(nullptr));
  return ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

class TNoTrayEvents : public TTrayIconEvents {
 public:
  void TrayClicked() override {}
  void TrayMenuRequested() override {}
};

// Pumps messages until ADone is true or the time-out passes.
template <class F>
bool PumpUntil(win32::TWin32Desktop& ADesktop, F ADone, int ATimeoutMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
  while (!ADone()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    ADesktop.ProcessPendingMessages();
  }
  return true;
}

TEST(Win32DesktopTest, HiddenToolWindowGetsMessagesPostedFromAnotherThread) {
  win32::TWin32Desktop desktop;
  TRecordingEvents events;
  auto window = desktop.CreateAppWindow({u"MonDesktopTest1", u"test", 504, 400, true}, events);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->IsVisible());
  const HWND handle = reinterpret_cast<HWND>(window->Handle());
  EXPECT_NE(::GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  // The client size is given at 96 DPI (504 x 400 there, 756 x 600 at 144).
  EXPECT_EQ(window->Dpi(), ScreenDpi());
  RECT client{};
  ::GetClientRect(handle, &client);
  EXPECT_EQ(client.right, ScaledToDpi(504, window->Dpi()));
  EXPECT_EQ(client.bottom, ScaledToDpi(400, window->Dpi()));

  std::thread poster([&] { window->PostToSelf(7524, 5, 1); });
  poster.join();
  ASSERT_TRUE(PumpUntil(desktop, [&] { return events.LastMessage == 7524; }));
  EXPECT_EQ(events.LastWParam, 5u);
  EXPECT_EQ(events.LastLParam, 1);
}

TEST(Win32DesktopTest, RestartingATimerStartsItsIntervalAnew) {
  win32::TWin32Desktop desktop;
  TRecordingEvents events;
  auto window = desktop.CreateAppWindow({u"MonDesktopTest2", u"test", 10, 10, true}, events);
  ASSERT_NE(window, nullptr);
  window->StartTimer(1, 50);
  ASSERT_TRUE(PumpUntil(desktop, [&] { return events.Timers >= 1; }));
  window->StopTimer(1);
  const int fired = events.Timers;
  PumpUntil(
      desktop, [] { return false; }, 200);
  EXPECT_EQ(events.Timers, fired);
}

TEST(Win32DesktopTest, TrayIconComesAndGoes) {
  win32::TWin32Desktop desktop;
  TRecordingEvents events;
  TNoTrayEvents trayEvents;
  auto window = desktop.CreateAppWindow({u"MonDesktopTest3", u"test", 10, 10, true}, events);
  ASSERT_NE(window, nullptr);
  auto tray = desktop.CreateTrayIcon(*window, trayEvents);
  tray->SetIcon(u"C:\\no\\such\\icon.ico", TTrayIconState::Normal,
                TTaskbarTheme::Dark);  // the program's own
  tray->SetHint(u"GAMING MOUSE DRIVER");
  tray->Show();
  EXPECT_TRUE(tray->IsShown());
  tray->SetIcon(std::nullopt, TTrayIconState::Muted, TTaskbarTheme::Light);
  EXPECT_TRUE(tray->IsShown());
  tray->Hide();
  EXPECT_FALSE(tray->IsShown());
}

// What the system says about resolutions and settings reaches the window's events. A
// WM_DPICHANGED is taken when the window's resolution backs it (Wine never changes a window's
// resolution, so the one it has stands in): the window takes the suggested rectangle. One another
// program sends with a resolution the window does not have is ignored, lParam unread. A setting
// change comes with its area.
TEST(Win32DesktopTest, ResolutionAndSettingChangesReachTheEvents) {
  win32::TWin32Desktop desktop;
  TRecordingEvents events;
  auto window = desktop.CreateAppWindow({u"MonDesktopTest5", u"test", 504, 400, true}, events);
  ASSERT_NE(window, nullptr);
  const HWND handle = reinterpret_cast<HWND>(window->Handle());
  const int dpi = window->Dpi();
  RECT suggested{100, 50, 100 + 700, 50 + 500};
  ::SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(events.DpiChanges, (std::vector<int>{dpi}));
  RECT place{};
  ::GetWindowRect(handle, &place);
  EXPECT_EQ(place.left, 100);
  EXPECT_EQ(place.top, 50);
  RECT client{};
  ::GetClientRect(handle, &client);
  EXPECT_EQ(client.right, 700);
  EXPECT_EQ(client.bottom, 500);

  ::SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(dpi + 48, dpi + 48), 8);  // no rectangle there
  EXPECT_EQ(events.DpiChanges.size(), 1u);
  EXPECT_EQ(window->Dpi(), dpi);

  ::SendMessageW(handle, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  ::SendMessageW(handle, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_EQ(events.SettingAreas, (std::vector<std::u16string>{kColorSetSettingArea, u""}));
}

// The small icon's side at each resolution (the notification area's icons).
TEST(Win32DpiTest, SmallIconSidesFollowTheResolution) {
  EXPECT_EQ(win32::SmallIconSideForDpi(96), 16);
  EXPECT_EQ(win32::SmallIconSideForDpi(144), 24);
  EXPECT_EQ(win32::SmallIconSideForDpi(192), 32);
  EXPECT_EQ(static_cast<int>(win32::WindowDpi(nullptr)), ScreenDpi());
}

TEST(Win32DesktopTest, SendToAStalledWindowGivesUpAfterTheTimeout) {
  std::atomic<HWND> stalled{nullptr};
  std::atomic<bool> release{false};
  std::thread owner([&] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MonStalledPeer";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowW(L"MonStalledPeer", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    stalled = window;
    // Never pumps messages while stalled: a hung peer.
    while (!release) {
      ::Sleep(10);
    }
    ::DestroyWindow(window);
  });
  while (stalled.load() == nullptr) {
    std::this_thread::yield();
  }
  win32::TWin32Desktop desktop;
  const auto start = std::chrono::steady_clock::now();
  const bool delivered =
      desktop.SendToWindow(reinterpret_cast<TWindowHandle>(stalled.load()), 7040, 1, 0, 300);
  const auto waited = std::chrono::steady_clock::now() - start;
  release = true;
  owner.join();
  EXPECT_FALSE(delivered);
  EXPECT_LT(waited, std::chrono::seconds(3));
  EXPECT_FALSE(desktop.PostToWindow(0, 7036, 0, 0));
}

}  // namespace
}  // namespace mon
