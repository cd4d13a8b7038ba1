#include "platform/stop_token.h"

#include <algorithm>
#include <chrono>

namespace mon {

bool TStopToken::StopRequested() const {
  if (!FState) {
    return false;
  }
  std::lock_guard lock(FState->Lock);
  return FState->Stopped;
}

bool TStopSource::StopRequested() const {
  std::lock_guard lock(FState->Lock);
  return FState->Stopped;
}

bool TStopSource::RequestStop() {
  std::unique_lock lock(FState->Lock);
  if (FState->Stopped) {
    return false;
  }
  FState->Stopped = true;
  FState->RunningThread = std::this_thread::get_id();
  while (!FState->Callbacks.empty()) {
    TStopCallback* callback = FState->Callbacks.front();
    FState->Callbacks.erase(FState->Callbacks.begin());
    FState->Running = callback;
    lock.unlock();
    callback->FCallback();
    lock.lock();
    FState->Running = nullptr;
    FState->CallbackDone.notify_all();
  }
  return true;
}

TStopCallback::TStopCallback(const TStopToken& AToken, std::function<void()> ACallback)
    : FState(AToken.FState), FCallback(std::move(ACallback)) {
  if (!FState) {
    return;
  }
  std::unique_lock lock(FState->Lock);
  if (FState->Stopped) {
    lock.unlock();
    FCallback();
    FState.reset();  // nothing to deregister
    return;
  }
  FState->Callbacks.push_back(this);
}

TStopCallback::~TStopCallback() {
  if (!FState) {
    return;
  }
  std::unique_lock lock(FState->Lock);
  auto& callbacks = FState->Callbacks;
  const auto found = std::find(callbacks.begin(), callbacks.end(), this);
  if (found != callbacks.end()) {
    callbacks.erase(found);
    return;
  }
  // Taken from the list: it ran already, or runs right now on the requesting thread.
  if (FState->RunningThread != std::this_thread::get_id()) {
    FState->CallbackDone.wait(lock, [this] { return FState->Running != this; });
  }
}

bool WaitForStopOrTimeout(const TStopToken& AToken, std::uint32_t ATimeoutMs) {
  // Declared before the callback: its destructor waits for a callback running elsewhere.
  std::mutex lock;
  std::condition_variable woken;
  bool stopped = false;
  const TStopCallback onStop(AToken, [&] {
    std::lock_guard guard(lock);
    stopped = true;
    woken.notify_all();
  });
  std::unique_lock guard(lock);
  return woken.wait_for(guard, std::chrono::milliseconds(ATimeoutMs), [&] { return stopped; });
}

}  // namespace mon
