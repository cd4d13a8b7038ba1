// A desktop in memory: windows whose posted messages and timers the test delivers itself, a
// tray icon that records what it shows, and a log of everything sent to other windows.
#pragma once

#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace mon::testing {

struct TDeliveredMessage {
  TWindowHandle Window = 0;
  std::uint32_t Message = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  bool Sent = false;  // SendToWindow (synchronous) rather than PostToWindow
  bool operator==(const TDeliveredMessage&) const = default;
};

struct TShellOpen {
  std::u16string File;
  std::u16string WorkingFolder;
  TShowCommand Show = TShowCommand::Show;
};

class TFakeDesktop;

class TFakeAppWindow final : public TAppWindow {
 public:
  TFakeAppWindow(TFakeDesktop& ADesktop, TAppWindowEvents& AEvents, TAppWindowOptions AOptions,
                 TWindowHandle AHandle);
  ~TFakeAppWindow() override;

  TWindowHandle Handle() const override { return FHandle; }
  void Show() override {
    if (!FVisible) {
      FEvents.VisibleChanged(true);
    }
    FVisible = true;
  }
  void Hide() override {
    if (FVisible) {
      FEvents.VisibleChanged(false);
    }
    FVisible = false;
  }
  bool IsVisible() const override { return FVisible; }
  void BringToForeground() override { ++ForegroundCount; }
  void SetTitle(const std::u16string& ATitle) override { Title = ATitle; }
  int Dpi() const override { return FDpi; }
  void ShowScene(TVectorScene* AScene) override { Scene = AScene; }
  bool PostToSelf(std::uint32_t AMessage, std::uintptr_t AWParam, std::intptr_t ALParam) override;
  bool StartTimer(std::uintptr_t ATimerId, std::uint32_t AIntervalMs) override;
  void StopTimer(std::uintptr_t ATimerId) override;

  // Delivers the queued messages in order (also those queued while delivering), at most
  // AMaxCount of them (a handler that keeps posting must not hang the test); returns how many.
  int DeliverPosted(int AMaxCount = std::numeric_limits<int>::max());
  std::size_t PostedCount() const;
  bool IsTimerRunning(std::uintptr_t ATimerId) const { return FTimers.count(ATimerId) != 0; }
  std::uint32_t TimerInterval(std::uintptr_t ATimerId) const { return FTimers.at(ATimerId); }
  // Fires a running timer as the system would.
  void FireTimer(std::uintptr_t ATimerId);
  // The system ends the session.
  void EndSession() { FEvents.SessionEnding(); }
  // The window is now on a screen of ADpi (WM_DPICHANGED).
  void ChangeDpi(int ADpi) {
    FDpi = ADpi;
    FEvents.DpiChanged(ADpi);
  }
  // A setting of the system changed (WM_SETTINGCHANGE with AArea as its text).
  void ChangeSystemSetting(const std::u16string& AArea) { FEvents.SystemSettingChanged(AArea); }

  const TAppWindowOptions Options;
  std::u16string Title;
  int ForegroundCount = 0;
  // The scene the window shows, or nullptr.
  TVectorScene* Scene = nullptr;
  int TimerStarts = 0;

 private:
  TFakeDesktop& FDesktop;
  TAppWindowEvents& FEvents;
  TWindowHandle FHandle;
  int FDpi;
  bool FVisible = false;
  mutable std::mutex FLock;
  std::deque<TDeliveredMessage> FPosted;
  std::map<std::uintptr_t, std::uint32_t> FTimers;
};

// Records what it shows, and every call in order (Calls: "SetIcon <file|-> Normal|Muted", with
// " LightTaskbar" after it for a light taskbar's icon, "SetHint <text>",
// "ShowNotice <title>|<text>", "Show", "Hide", "Menu").
class TFakeTrayIcon final : public TTrayIcon {
 public:
  explicit TFakeTrayIcon(TTrayIconEvents& AEvents) : Events(AEvents) {}
  void SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
               TTaskbarTheme ATheme) override {
    IconFile = APath;
    IconState = AState;
    IconTheme = ATheme;
    Calls.push_back(u"SetIcon " + APath.value_or(u"-") +
                    (AState == TTrayIconState::Muted ? u" Muted" : u" Normal") +
                    (ATheme == TTaskbarTheme::Light ? u" LightTaskbar" : u""));
  }
  void SetHint(const std::u16string& AHint) override {
    Hint = AHint;
    Calls.push_back(u"SetHint " + AHint);
  }
  void ShowNotice(const std::u16string& ATitle, const std::u16string& AText) override {
    Notices.push_back(AText);
    Calls.push_back(u"ShowNotice " + ATitle + u"|" + AText);
  }
  void Show() override {
    Shown = true;
    Calls.push_back(u"Show");
    if (OnShow) {
      OnShow();
    }
  }
  void Hide() override {
    Shown = false;
    Calls.push_back(u"Hide");
  }
  bool IsShown() const override { return Shown; }
  std::optional<std::size_t> ShowPopupMenu(const std::vector<TPopupMenuItem>& AItems) override {
    LastMenu = AItems;
    return NextMenuChoice;
  }

  TTrayIconEvents& Events;
  std::optional<std::u16string> IconFile;
  TTrayIconState IconState = TTrayIconState::Normal;
  TTaskbarTheme IconTheme = TTaskbarTheme::Dark;
  std::u16string Hint;
  std::vector<std::u16string> Notices;
  std::vector<std::u16string> Calls;
  bool Shown = false;
  std::vector<TPopupMenuItem> LastMenu;
  std::optional<std::size_t> NextMenuChoice;
  std::function<void()> OnShow;  // runs in Show, after it took effect
};

class TFakeDesktop final : public TDesktop {
 public:
  std::unique_ptr<TAppWindow> CreateAppWindow(const TAppWindowOptions& AOptions,
                                              TAppWindowEvents& AEvents) override;
  std::unique_ptr<TTrayIcon> CreateTrayIcon(TAppWindow& AOwner, TTrayIconEvents& AEvents) override;
  // Given to every tray icon made from now on as its OnShow.
  std::function<void()> OnTrayIconShown;
  int RunMessageLoop() override;
  void Terminate() override { Terminated = true; }
  void ProcessPendingMessages() override;
  void Sleep(std::uint32_t AMilliseconds) override { SleptMs += AMilliseconds; }
  bool PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam) override;
  bool SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam, std::uint32_t ATimeoutMs) override;
  void ShowAndForeground(TWindowHandle AWindow) override { ShownWindows.push_back(AWindow); }
  bool UserIsBusy() override { return UserBusy; }
  // Numbers from 0xC000 up, one per name.
  std::uint32_t RegisteredMessage(const std::u16string& AName) override {
    return FRegistered.try_emplace(AName, 0xC000 + static_cast<std::uint32_t>(FRegistered.size()))
        .first->second;
  }
  void ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder, TWindowHandle,
                 TShowCommand AShow) override {
    ShellOpens.push_back({AFile, AWorkingFolder, AShow});
  }

  // The system refuses to create windows.
  bool FailWindowCreation = false;
  // The resolution of the screen new windows are on.
  int DpiOfNewWindows = kDesignDpi;
  // A full-screen program or a presentation runs.
  bool UserBusy = false;
  // Other programs' windows that answer; messages to any other handle are not delivered.
  std::set<TWindowHandle> LiveWindows;
  std::vector<TDeliveredMessage> Delivered;
  std::vector<std::uint32_t> SendTimeouts;
  std::vector<TWindowHandle> ShownWindows;
  std::vector<TShellOpen> ShellOpens;
  bool Terminated = false;
  std::uint32_t SleptMs = 0;
  int PendingProcessed = 0;
  std::vector<TFakeAppWindow*> Windows;
  TFakeTrayIcon* LastTrayIcon = nullptr;

 private:
  TWindowHandle FNextHandle = 0x1000;
  std::map<std::u16string, std::uint32_t> FRegistered;
};

}  // namespace mon::testing
