#include "platform/linux/linux_message_loop.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace mon::lnx {

TLinuxMessageLoop::TLinuxMessageLoop()
    : FWakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), FMainThread([this] { Wake(); }) {
  if (FWakeFd < 0) {
    throw std::runtime_error("the main loop's wake-up descriptor cannot be created");
  }
  FLoop = g_main_loop_new(g_main_context_get_thread_default(), FALSE);
  FWakeSource = g_unix_fd_add(FWakeFd, G_IO_IN, &TLinuxMessageLoop::OnWake, this);
  // A handler that dispatches pending messages itself (ProcessPendingMessages) gets the messages
  // and hand-overs queued meanwhile, as on Windows.
  g_source_set_can_recurse(
      g_main_context_find_source_by_id(g_main_loop_get_context(FLoop), FWakeSource), TRUE);
}

TLinuxMessageLoop::~TLinuxMessageLoop() {
  {
    std::lock_guard lock(FLock);
    FClosed = true;
    FQueue.clear();
  }
  FMainThread.Close();
  g_source_remove(FWakeSource);
  g_main_loop_unref(FLoop);
  ::close(FWakeFd);
}

int TLinuxMessageLoop::Run() {
  // Work queued before the loop started is seen at once: the descriptor is still readable.
  g_main_loop_run(FLoop);
  return FExitCode;
}

void TLinuxMessageLoop::Quit(int AExitCode) {
  FExitCode = AExitCode;
  g_main_loop_quit(FLoop);
}

void TLinuxMessageLoop::DispatchPending() {
  GMainContext* context = g_main_loop_get_context(FLoop);
  // Bounded: a handler that keeps posting to itself must not keep us here for ever.
  for (int round = 0; round < 1000 && g_main_context_iteration(context, FALSE); ++round) {
  }
}

TWindowHandle TLinuxMessageLoop::Register(TPostedMessageTarget& ATarget) {
  const TWindowHandle handle = FNextHandle++;
  FTargets.emplace(handle, &ATarget);
  return handle;
}

void TLinuxMessageLoop::Unregister(TWindowHandle AHandle) {
  FTargets.erase(AHandle);
}

bool TLinuxMessageLoop::Post(TWindowHandle AHandle, std::uint32_t AMsg, std::uintptr_t AWParam,
                             std::intptr_t ALParam) {
  {
    std::lock_guard lock(FLock);
    if (FClosed) {
      return false;
    }
    FQueue.push_back({AHandle, AMsg, AWParam, ALParam});
  }
  Wake();
  return true;
}

void TLinuxMessageLoop::Wake() {
  const std::uint64_t one = 1;
  // A full counter (never in practice) still leaves the descriptor readable: nothing is lost.
  while (::write(FWakeFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void TLinuxMessageLoop::DrainWake() {
  std::uint64_t count = 0;
  while (::read(FWakeFd, &count, sizeof count) < 0 && errno == EINTR) {
  }
}

gboolean TLinuxMessageLoop::OnWake(gint, GIOCondition, gpointer AData) {
  auto& loop = *static_cast<TLinuxMessageLoop*>(AData);
  // Drained first: whatever is queued from here on wakes the loop again.
  loop.DrainWake();
  loop.FMainThread.RunPending();
  loop.DeliverPostedMessages();
  return G_SOURCE_CONTINUE;
}

void TLinuxMessageLoop::DeliverPostedMessages() {
  // Only what was queued before this round: a handler that posts to itself is served in the
  // next round, after the loop has looked at its other sources.
  std::deque<TPostedMessage> batch;
  {
    std::lock_guard lock(FLock);
    batch.swap(FQueue);
  }
  for (const TPostedMessage& message : batch) {
    // Looked up per message: an earlier handler may have destroyed this window.
    const auto target = FTargets.find(message.Window);
    if (target != FTargets.end()) {
      target->second->DeliverPosted(message.Msg, message.WParam, message.LParam);
    }
  }
}

}  // namespace mon::lnx
