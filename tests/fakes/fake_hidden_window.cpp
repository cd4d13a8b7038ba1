#include "fake_hidden_window.h"

#include <algorithm>
#include <exception>

#include "framework/application.h"

namespace mon::testing {

TFakeHiddenWindow::TFakeHiddenWindow(TFakeHiddenWindowFactory& AFactory, std::u16string AClassName,
                                     TMessageHandler& AHandler, TWindowHandle AHandle)
    : FFactory(AFactory), FClassName(std::move(AClassName)), FHandler(AHandler), FHandle(AHandle) {
  FFactory.FWindows.push_back(this);
}

TFakeHiddenWindow::~TFakeHiddenWindow() {
  auto& windows = FFactory.FWindows;
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

bool TFakeHiddenWindow::PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam,
                                   std::intptr_t ALParam) {
  TWindowMessage message;
  message.Msg = AMsg;
  message.WParam = AWParam;
  message.LParam = ALParam;
  FPosted.push_back(message);
  return true;
}

bool TFakeHiddenWindow::StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) {
  if (AId == 0) {
    return false;
  }
  FTimers[AId] = TTimer{AIntervalMs, FFactory.FNow + AIntervalMs};
  return true;
}

void TFakeHiddenWindow::StopTimer(std::uintptr_t AId) {
  FTimers.erase(AId);
}

bool TFakeHiddenWindow::RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) {
  if (FFactory.FailRegistration) {
    return false;
  }
  FRegistrations.push_back(AInterfaceClass);
  return true;
}

bool TFakeHiddenWindow::Deliver(TWindowMessage& AMessage) {
  try {
    return FHandler.HandleMessage(AMessage);
  } catch (...) {
    HandleApplicationException(std::current_exception());
    AMessage.Result = 0;
    return true;
  }
}

bool TFakeHiddenWindow::SendDeviceChange(std::uintptr_t AEvent,
                                         std::optional<std::uint32_t> ADeviceType) {
  TWindowMessage message;
  message.Msg = kWmDeviceChange;
  message.WParam = AEvent;
  message.LParam = ADeviceType ? 0x1234 : 0;
  message.DeviceType = ADeviceType;
  return Deliver(message);
}

std::unique_ptr<THiddenWindow> TFakeHiddenWindowFactory::CreateHiddenWindow(
    const std::u16string& AClassName, TMessageHandler& AHandler) {
  if (FailCreate) {
    return nullptr;
  }
  return std::make_unique<TFakeHiddenWindow>(*this, AClassName, AHandler, FNextHandle++);
}

std::size_t TFakeHiddenWindowFactory::DispatchPosted() {
  // Collect first: a handler may post, create or destroy windows.
  std::vector<std::pair<TWindowHandle, TWindowMessage>> posted;
  for (TFakeHiddenWindow* window : FWindows) {
    while (!window->FPosted.empty()) {
      posted.emplace_back(window->FHandle, window->FPosted.front());
      window->FPosted.pop_front();
    }
  }
  std::size_t delivered = 0;
  for (auto& entry : posted) {
    const TWindowHandle handle = entry.first;
    TWindowMessage& message = entry.second;
    const auto found =
        std::find_if(FWindows.begin(), FWindows.end(),
                     [&](TFakeHiddenWindow* AWindow) { return AWindow->FHandle == handle; });
    if (found != FWindows.end()) {
      (*found)->Deliver(message);
      ++delivered;
    }
  }
  return delivered;
}

std::size_t TFakeHiddenWindowFactory::AdvanceTime(std::uint64_t AMilliseconds) {
  const std::uint64_t end = FNow + AMilliseconds;
  std::size_t ticks = 0;
  for (;;) {
    // The earliest due timer up to the end.
    TFakeHiddenWindow* dueWindow = nullptr;
    std::uintptr_t dueId = 0;
    std::uint64_t dueAt = end + 1;
    for (TFakeHiddenWindow* window : FWindows) {
      for (const auto& [id, timer] : window->FTimers) {
        if (timer.Due < dueAt) {
          dueAt = timer.Due;
          dueWindow = window;
          dueId = id;
        }
      }
    }
    if (dueWindow == nullptr) {
      break;
    }
    FNow = dueAt;
    TFakeHiddenWindow::TTimer& timer = dueWindow->FTimers[dueId];
    timer.Due = FNow + std::max<std::uint32_t>(timer.Interval, 1);
    TWindowMessage message;
    message.Msg = kWmTimer;
    message.WParam = dueId;
    dueWindow->Deliver(message);
    ++ticks;
  }
  FNow = end;
  return ticks;
}

}  // namespace mon::testing
