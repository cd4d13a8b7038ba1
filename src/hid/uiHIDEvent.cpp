#include "hid/uiHIDEvent.h"

#include <exception>

#include "framework/application.h"

namespace mon {

namespace {

// The lParam of the start-up device change (it carries no broadcast header).
constexpr std::intptr_t kNoBroadcastHeader = static_cast<std::intptr_t>(0xFFFFFFFFu);

}  // namespace

TuiHIDEvent::TuiHIDEvent(TComponent* AOwner, THiddenWindowFactory& AWindows) : TComponent(AOwner) {
  FWindowHandle = AWindows.CreateHiddenWindow(kWindowClassName, *this);
  if (FUsbGuid.empty()) {
    FUsbGuid = kHidInterfaceClassText;
  }
  if (!FWindowHandle) {
    return;
  }
  if (const auto interfaceClass = ParseGuid(FUsbGuid)) {
    FRegistered = FWindowHandle->RegisterDeviceInterfaceNotification(*interfaceClass);
  }
  FWindowHandle->PostToSelf(kWmDeviceChange, kDbtDevNodesChanged, kNoBroadcastHeader);
  FTimerToStartMonitorEnabled =
      FWindowHandle->StartTimer(kTimerToStartMonitorId, kTimerToStartMonitorInterval);
}

TuiHIDEvent::~TuiHIDEvent() {
  if (FWindowHandle) {
    FWindowHandle->StopTimer(kTimerToStartMonitorId);
  }
  FWindowHandle.reset();
}

bool TuiHIDEvent::HandleMessage(TWindowMessage& AMessage) {
  if (AMessage.Msg == kWmDeviceChange) {
    try {
      DeviceChange(AMessage);
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
    AMessage.Result = 0;
    return true;
  }
  if (AMessage.Msg == kWmTimer && AMessage.WParam == kTimerToStartMonitorId) {
    try {
      TimerToStartMonitorTimer();
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
    AMessage.Result = 0;
    return true;
  }
  return false;
}

void TuiHIDEvent::DeviceChange(const TWindowMessage& AMessage) {
  const bool isDeviceInterface = AMessage.DeviceType == kDbtDevTypDeviceInterface;
  switch (AMessage.WParam) {
    case kDbtDeviceArrival:
      if (isDeviceInterface) {
        Raise(OnDeviceArrival);
      }
      break;
    case kDbtDeviceRemoveComplete:
      if (isDeviceInterface) {
        Raise(OnDeviceRemove);
      }
      break;
    case kDbtDevNodesChanged:
      Raise(OnDeviceChange);
      break;
    default:
      break;
  }
}

void TuiHIDEvent::TimerToStartMonitorTimer() {
  // One-shot: a tick that finds the timer already stopped (queued before it stopped) is ignored.
  if (!FTimerToStartMonitorEnabled) {
    return;
  }
  FTimerToStartMonitorEnabled = false;
  FWindowHandle->StopTimer(kTimerToStartMonitorId);
  Raise(OnDeviceArrival);
}

void TuiHIDEvent::Raise(const TNotifyEvent& AEvent) {
  // A copy, so that a handler may reassign its own event.
  if (const TNotifyEvent handler = AEvent) {
    handler(*this);
  }
}

}  // namespace mon
