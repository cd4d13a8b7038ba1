// TuiHIDEvent: tells its owner when a HID device interface is added or removed. It owns a hidden
// window registered for device-interface notifications of the HID class and turns the
// device-change messages into OnDeviceArrival, OnDeviceRemove and OnDeviceChange. It also raises
// OnDeviceChange once right after creation (a posted "device nodes changed") and OnDeviceArrival
// once 1500 ms after creation, so that an owner that opens its device on arrival also opens one
// that was plugged in before the program started.
//
// Everything runs on the main thread; the events fire from its message loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/component.h"
#include "platform/hidden_window.h"

namespace mon {

class TuiHIDEvent : public TComponent, private TMessageHandler {
 public:
  static constexpr std::uintptr_t kTimerToStartMonitorId = 1;
  static constexpr std::uint32_t kTimerToStartMonitorInterval = 1500;
  // The window class of the hidden window.
  static constexpr char16_t kWindowClassName[] = u"TuiHIDEventWindow";
  // The device-interface class watched: HID.
  static constexpr char16_t kHidInterfaceClassText[] = u"{4d1e55b2-f16f-11cf-88cb-001111000030}";

  // Creates the hidden window, registers it, posts the start-up device change and starts the
  // one-shot start-up timer. When no window can be had, the component raises nothing.
  TuiHIDEvent(TComponent* AOwner, THiddenWindowFactory& AWindows);
  // Destroys the window, which ends its notifications and its timer.
  ~TuiHIDEvent() override;

  std::u16string ClassName() const override { return u"TuiHIDEvent"; }

  // Published events; the sender is this component. Main thread.
  TNotifyEvent OnDeviceArrival;
  TNotifyEvent OnDeviceRemove;
  TNotifyEvent OnDeviceChange;

  TWindowHandle WindowHandle() const { return FWindowHandle ? FWindowHandle->Handle() : 0; }
  const std::u16string& UsbGuid() const { return FUsbGuid; }
  // Whether the notification registration succeeded (nothing depends on it).
  bool Registered() const { return FRegistered; }
  // Whether the start-up timer is still to fire.
  bool TimerToStartMonitorEnabled() const { return FTimerToStartMonitorEnabled; }

 protected:
  // The device-change handler, by wParam: arrival and removal of a device interface raise
  // OnDeviceArrival / OnDeviceRemove, "device nodes changed" raises OnDeviceChange; anything else
  // raises nothing.
  virtual void DeviceChange(const TWindowMessage& AMessage);

 private:
  bool HandleMessage(TWindowMessage& AMessage) override;
  void TimerToStartMonitorTimer();
  void Raise(const TNotifyEvent& AEvent);

  std::unique_ptr<THiddenWindow> FWindowHandle;
  bool FTimerToStartMonitorEnabled = false;
  std::u16string FUsbGuid;
  bool FRegistered = false;
};

}  // namespace mon
