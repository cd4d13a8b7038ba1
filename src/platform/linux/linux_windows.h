// The program's own windows on the Linux loop: hidden windows of core components (posted
// messages, timers, device arrivals) and the monitor's application window. Nothing here is on
// screen: without a desktop toolkit the application window keeps its state (shown or not, its
// scene) and delivers its messages and timers like the Windows one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/desktop.h"
#include "platform/hidden_window.h"
#include "platform/linux/linux_message_loop.h"

namespace mon::lnx {

// A running watch of device arrivals; destroying it ends the calls.
class TDeviceArrivalWatch {
 public:
  virtual ~TDeviceArrivalWatch() = default;
};

// Where arrivals of HID device interfaces come from (udev on the real system).
class TDeviceArrivals {
 public:
  virtual ~TDeviceArrivals() = default;
  // Calls AOnArrival on the main thread, from the loop, for every interface that arrives, until
  // the watch is destroyed. nullptr when the system cannot watch.
  virtual std::unique_ptr<TDeviceArrivalWatch> WatchArrivals(std::function<void()> AOnArrival) = 0;
};

// The timers of one window, as timeouts of the loop's context. Main thread.
class TLinuxWindowTimers {
 public:
  // AFired runs on the main thread, from the loop, with the id of the timer that fired.
  explicit TLinuxWindowTimers(std::function<void(std::uintptr_t)> AFired);
  ~TLinuxWindowTimers();
  TLinuxWindowTimers(const TLinuxWindowTimers&) = delete;
  TLinuxWindowTimers& operator=(const TLinuxWindowTimers&) = delete;

  bool Start(std::uintptr_t AId, std::uint32_t AIntervalMs);
  void Stop(std::uintptr_t AId);

 private:
  struct TTick {
    TLinuxWindowTimers* Owner;
    std::uintptr_t Id;
  };
  static gboolean OnTick(gpointer AData);

  std::function<void(std::uintptr_t)> FFired;
  std::map<std::uintptr_t, unsigned> FSources;  // timer id -> GLib source id
};

class TLinuxHiddenWindow final : public THiddenWindow, private TPostedMessageTarget {
 public:
  TLinuxHiddenWindow(TLinuxMessageLoop& ALoop, TDeviceArrivals& AArrivals,
                     TMessageHandler& AHandler);
  ~TLinuxHiddenWindow() override;

  TWindowHandle Handle() const override { return FHandle; }
  bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override;
  bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) override;
  void StopTimer(std::uintptr_t AId) override;
  bool RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) override;

 private:
  void DeliverPosted(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override;
  void Deliver(TWindowMessage& AMessage);

  TLinuxMessageLoop& FLoop;
  TDeviceArrivals& FArrivals;
  TMessageHandler& FHandler;
  TWindowHandle FHandle = 0;
  TLinuxWindowTimers FTimers;
  std::vector<std::unique_ptr<TDeviceArrivalWatch>> FArrivalWatches;
};

class TLinuxHiddenWindowFactory final : public THiddenWindowFactory {
 public:
  TLinuxHiddenWindowFactory(TLinuxMessageLoop& ALoop, TDeviceArrivals& AArrivals)
      : FLoop(ALoop), FArrivals(AArrivals) {}
  std::unique_ptr<THiddenWindow> CreateHiddenWindow(const std::u16string& AClassName,
                                                    TMessageHandler& AHandler) override;

 private:
  TLinuxMessageLoop& FLoop;
  TDeviceArrivals& FArrivals;
};

// The monitor's application window without a screen: it keeps whether it is shown and which
// scene it shows, tells its events when that changes, and delivers its messages and timers.
class TLinuxAppWindow : public TAppWindow, private TPostedMessageTarget {
 public:
  TLinuxAppWindow(TLinuxMessageLoop& ALoop, const TAppWindowOptions& AOptions,
                  TAppWindowEvents& AEvents);
  ~TLinuxAppWindow() override;

  TWindowHandle Handle() const override { return FHandle; }
  bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override;
  bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) override;
  void StopTimer(std::uintptr_t AId) override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return FVisible; }
  void BringToForeground() override {}
  void SetTitle(const std::u16string& ATitle) override { FTitle = ATitle; }
  int Dpi() const override { return kDesignDpi; }
  void ShowScene(TVectorScene* AScene) override { FScene = AScene; }

  TAppWindowEvents& Events() { return FEvents; }

 private:
  void DeliverPosted(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override;

  TLinuxMessageLoop& FLoop;
  TAppWindowEvents& FEvents;
  TWindowHandle FHandle = 0;
  TLinuxWindowTimers FTimers;
  std::u16string FTitle;
  bool FVisible = false;
  TVectorScene* FScene = nullptr;
};

}  // namespace mon::lnx
