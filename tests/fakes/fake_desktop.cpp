#include "fake_desktop.h"

#include <algorithm>

namespace mon::testing {

TFakeAppWindow::TFakeAppWindow(TFakeDesktop& ADesktop, TAppWindowEvents& AEvents,
                               TAppWindowOptions AOptions, TWindowHandle AHandle)
    : Options(std::move(AOptions)),
      FDesktop(ADesktop),
      FEvents(AEvents),
      FHandle(AHandle),
      FDpi(ADesktop.DpiOfNewWindows) {}

TFakeAppWindow::~TFakeAppWindow() {
  auto& windows = FDesktop.Windows;
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

bool TFakeAppWindow::PostToSelf(std::uint32_t AMessage, std::uintptr_t AWParam,
                                std::intptr_t ALParam) {
  std::lock_guard lock(FLock);
  FPosted.push_back({FHandle, AMessage, AWParam, ALParam, false});
  return true;
}

bool TFakeAppWindow::StartTimer(std::uintptr_t ATimerId, std::uint32_t AIntervalMs) {
  FTimers[ATimerId] = AIntervalMs;
  ++TimerStarts;
  return true;
}

void TFakeAppWindow::StopTimer(std::uintptr_t ATimerId) {
  FTimers.erase(ATimerId);
}

void TFakeAppWindow::FireTimer(std::uintptr_t ATimerId) {
  if (IsTimerRunning(ATimerId)) {
    FEvents.TimerFired(ATimerId);
  }
}

std::size_t TFakeAppWindow::PostedCount() const {
  std::lock_guard lock(FLock);
  return FPosted.size();
}

int TFakeAppWindow::DeliverPosted(int AMaxCount) {
  int delivered = 0;
  while (delivered < AMaxCount) {
    TDeliveredMessage message;
    {
      std::lock_guard lock(FLock);
      if (FPosted.empty()) {
        return delivered;
      }
      message = FPosted.front();
      FPosted.pop_front();
    }
    FEvents.HandleAppMessage(message.Message, message.WParam, message.LParam);
    ++delivered;
  }
  return delivered;
}

std::unique_ptr<TAppWindow> TFakeDesktop::CreateAppWindow(const TAppWindowOptions& AOptions,
                                                          TAppWindowEvents& AEvents) {
  if (FailWindowCreation) {
    return nullptr;
  }
  auto window = std::make_unique<TFakeAppWindow>(*this, AEvents, AOptions, FNextHandle++);
  Windows.push_back(window.get());
  return window;
}

std::unique_ptr<TTrayIcon> TFakeDesktop::CreateTrayIcon(TAppWindow&, TTrayIconEvents& AEvents) {
  auto icon = std::make_unique<TFakeTrayIcon>(AEvents);
  icon->OnShow = OnTrayIconShown;
  LastTrayIcon = icon.get();
  return icon;
}

// Delivers what is queued and returns: nothing else would ever arrive in a test.
int TFakeDesktop::RunMessageLoop() {
  ProcessPendingMessages();
  return 0;
}

void TFakeDesktop::ProcessPendingMessages() {
  ++PendingProcessed;
  for (TFakeAppWindow* window : std::vector<TFakeAppWindow*>(Windows)) {
    window->DeliverPosted();
  }
}

bool TFakeDesktop::PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                std::uintptr_t AWParam, std::intptr_t ALParam) {
  if (LiveWindows.count(AWindow) == 0) {
    return false;
  }
  Delivered.push_back({AWindow, AMessage, AWParam, ALParam, false});
  return true;
}

bool TFakeDesktop::SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                std::uintptr_t AWParam, std::intptr_t ALParam,
                                std::uint32_t ATimeoutMs) {
  SendTimeouts.push_back(ATimeoutMs);
  if (LiveWindows.count(AWindow) == 0) {
    return false;
  }
  Delivered.push_back({AWindow, AMessage, AWParam, ALParam, true});
  return true;
}

}  // namespace mon::testing
