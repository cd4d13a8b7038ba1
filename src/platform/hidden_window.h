// Hidden windows owned by core components: a private message target on the main thread with
// messages posted to itself, timers, and device-interface arrival/removal notifications.
//
// The message vocabulary is the Windows one (numbers below), because the monitor's protocol with
// the configuration program is made of window messages anyway; a POSIX backend delivers the same
// messages from its own loop (timers, self-posted messages, udev events as WM_DEVICECHANGE).
//
// Everything here is main-thread only: create, use and destroy a window on the main thread; its
// handler is called there, from the main loop (or from inside a call that dispatches messages).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/guid.h"
#include "platform/window_system.h"

namespace mon {

inline constexpr std::uint32_t kWmTimer = 0x0113;
inline constexpr std::uint32_t kWmDeviceChange = 0x0219;
inline constexpr std::uint32_t kWmUser = 0x0400;

// wParam values of kWmDeviceChange and the device type of the broadcast header.
inline constexpr std::uintptr_t kDbtDevNodesChanged = 0x0007;
inline constexpr std::uintptr_t kDbtDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDbtDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDbtDevTypDeviceInterface = 5;

struct TWindowMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  // For kWmDeviceChange events that carry a broadcast header (arrival, removal and their
  // relatives, wParam 0x8000..0x8006, with a non-null lParam): the header's device type, read by
  // the backend. nullopt for every other message, so no handler ever reads through LParam.
  std::optional<std::uint32_t> DeviceType;
  // The message result when the handler handles the message.
  std::intptr_t Result = 0;
};

class TMessageHandler {
 public:
  virtual ~TMessageHandler() = default;
  // Main thread. True when the message was handled (AMessage.Result is then the result); false
  // lets the system handle it its default way. An exception escaping here is sent to the central
  // error handler (HandleApplicationException) by the backend and the message counts as handled
  // with result 0; it never unwinds into the system.
  virtual bool HandleMessage(TWindowMessage& AMessage) = 0;
};

// Its posted messages and its timers (kWmTimer with WParam = the timer's id) reach the handler.
class THiddenWindow : public TMessageWindow {
 public:
  // Destroys the window: no message reaches the handler afterwards; its timers and notification
  // registrations end with it. Messages still queued for it are dropped.
  ~THiddenWindow() override = default;

  // Registers the window for arrival and removal notifications of device interfaces of the
  // class AInterfaceClass (kWmDeviceChange with kDbtDeviceArrival / kDbtDeviceRemoveComplete and
  // device type kDbtDevTypDeviceInterface). The registration lasts as long as the window. False
  // when the system refuses it.
  virtual bool RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) = 0;
};

class THiddenWindowFactory {
 public:
  virtual ~THiddenWindowFactory() = default;
  // A new hidden top-level window of the window class AClassName (registered on first use) whose
  // messages go to AHandler. AHandler must outlive the window. nullptr when the window cannot be
  // created. Main thread.
  virtual std::unique_ptr<THiddenWindow> CreateHiddenWindow(const std::u16string& AClassName,
                                                            TMessageHandler& AHandler) = 0;
};

}  // namespace mon
