#include "platform/linux/linux_windows.h"

#include <glib.h>

#include <algorithm>
#include <exception>

#include "framework/application.h"
#include "platform/guid.h"

namespace mon::lnx {

namespace {

// Windows does not run timers faster than every 10 ms either; a 0 would make the loop spin.
constexpr std::uint32_t kShortestTimerMs = 10;

// A handler's exception goes to the central error handler, never through GLib's C frames.
template <class TCall>
void RunHandler(TCall ACall) {
  try {
    ACall();
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

}  // namespace

// --- timers -------------------------------------------------------------------------------------

TLinuxWindowTimers::TLinuxWindowTimers(std::function<void(std::uintptr_t)> AFired)
    : FFired(std::move(AFired)) {}

TLinuxWindowTimers::~TLinuxWindowTimers() {
  for (const auto& [id, source] : FSources) {
    g_source_remove(source);
  }
}

bool TLinuxWindowTimers::Start(std::uintptr_t AId, std::uint32_t AIntervalMs) {
  if (AId == 0) {
    return false;
  }
  Stop(AId);  // a restart counts the full interval from now
  auto* tick = new TTick{this, AId};
  const unsigned source = g_timeout_add_full(
      G_PRIORITY_DEFAULT, std::max(AIntervalMs, kShortestTimerMs), &TLinuxWindowTimers::OnTick,
      tick, [](void* AData) { delete static_cast<TTick*>(AData); });
  FSources[AId] = source;
  return true;
}

void TLinuxWindowTimers::Stop(std::uintptr_t AId) {
  const auto found = FSources.find(AId);
  if (found != FSources.end()) {
    g_source_remove(found->second);
    FSources.erase(found);
  }
}

gboolean TLinuxWindowTimers::OnTick(gpointer AData) {
  const auto* tick = static_cast<const TTick*>(AData);
  // The handler may stop this timer or destroy the window: the source then goes, and nothing of
  // either is touched after the call.
  tick->Owner->FFired(tick->Id);
  return G_SOURCE_CONTINUE;
}

// --- hidden windows -----------------------------------------------------------------------------

TLinuxHiddenWindow::TLinuxHiddenWindow(TLinuxMessageLoop& ALoop, TDeviceArrivals& AArrivals,
                                       TMessageHandler& AHandler)
    : FLoop(ALoop),
      FArrivals(AArrivals),
      FHandler(AHandler),
      FHandle(ALoop.Register(*this)),
      FTimers([this](std::uintptr_t AId) {
        TWindowMessage message;
        message.Msg = kWmTimer;
        message.WParam = AId;
        Deliver(message);
      }) {}

TLinuxHiddenWindow::~TLinuxHiddenWindow() {
  FLoop.Unregister(FHandle);
}

bool TLinuxHiddenWindow::PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam,
                                    std::intptr_t ALParam) {
  return FLoop.Post(FHandle, AMsg, AWParam, ALParam);
}

bool TLinuxHiddenWindow::StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) {
  return FTimers.Start(AId, AIntervalMs);
}

void TLinuxHiddenWindow::StopTimer(std::uintptr_t AId) {
  FTimers.Stop(AId);
}

bool TLinuxHiddenWindow::RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) {
  // Only HID interfaces come and go through udev's hidraw nodes.
  if (AInterfaceClass != kHidInterfaceClassGuid) {
    return false;
  }
  auto watch = FArrivals.WatchArrivals([this] {
    TWindowMessage message;
    message.Msg = kWmDeviceChange;
    message.WParam = kDbtDeviceArrival;
    message.DeviceType = kDbtDevTypDeviceInterface;
    Deliver(message);
  });
  if (!watch) {
    return false;
  }
  FArrivalWatches.push_back(std::move(watch));
  return true;
}

void TLinuxHiddenWindow::DeliverPosted(std::uint32_t AMsg, std::uintptr_t AWParam,
                                       std::intptr_t ALParam) {
  TWindowMessage message;
  message.Msg = AMsg;
  message.WParam = AWParam;
  message.LParam = ALParam;
  Deliver(message);
}

void TLinuxHiddenWindow::Deliver(TWindowMessage& AMessage) {
  RunHandler([&] { FHandler.HandleMessage(AMessage); });
}

std::unique_ptr<THiddenWindow> TLinuxHiddenWindowFactory::CreateHiddenWindow(
    const std::u16string&, TMessageHandler& AHandler) {
  return std::make_unique<TLinuxHiddenWindow>(FLoop, FArrivals, AHandler);
}

// --- the application window ---------------------------------------------------------------------

TLinuxAppWindow::TLinuxAppWindow(TLinuxMessageLoop& ALoop, const TAppWindowOptions& AOptions,
                                 TAppWindowEvents& AEvents)
    : FLoop(ALoop),
      FEvents(AEvents),
      FHandle(ALoop.Register(*this)),
      FTimers([this](std::uintptr_t AId) { RunHandler([&] { FEvents.TimerFired(AId); }); }),
      FTitle(AOptions.Title) {}

TLinuxAppWindow::~TLinuxAppWindow() {
  FLoop.Unregister(FHandle);
}

bool TLinuxAppWindow::PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam,
                                 std::intptr_t ALParam) {
  return FLoop.Post(FHandle, AMsg, AWParam, ALParam);
}

bool TLinuxAppWindow::StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) {
  return FTimers.Start(AId, AIntervalMs);
}

void TLinuxAppWindow::StopTimer(std::uintptr_t AId) {
  FTimers.Stop(AId);
}

void TLinuxAppWindow::Show() {
  if (!FVisible) {
    FVisible = true;
    FEvents.VisibleChanged(true);
  }
}

void TLinuxAppWindow::Hide() {
  if (FVisible) {
    FVisible = false;
    FEvents.VisibleChanged(false);
  }
}

void TLinuxAppWindow::DeliverPosted(std::uint32_t AMsg, std::uintptr_t AWParam,
                                    std::intptr_t ALParam) {
  RunHandler([&] { FEvents.HandleAppMessage(AMsg, AWParam, ALParam); });
}

}  // namespace mon::lnx
