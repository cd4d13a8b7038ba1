// Cooperative stop requests between threads: a source that requests the stop once, tokens that
// see it, and callbacks that run when it comes (to wake whatever a thread is blocked in).
//
// Our own rather than std::stop_source and friends: on Windows, libstdc++ 12 lets a
// std::stop_callback that is being destroyed while its callback runs on another thread wait on
// an atomic-wait semaphore, and that wait can miss its wake-up and hang the thread for good (seen
// under Wine: a reader stuck in ~stop_callback after the stopping thread had finished). This one
// waits on an ordinary mutex and condition variable.
//
// All members may be used from any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace mon {

class TStopCallback;

namespace detail {
struct TStopState {
  std::mutex Lock;
  std::condition_variable CallbackDone;
  bool Stopped = false;
  std::vector<TStopCallback*> Callbacks;
  const TStopCallback* Running = nullptr;
  std::thread::id RunningThread;
};
}  // namespace detail

// Sees whether a stop was requested. A default token never sees one.
class TStopToken {
 public:
  TStopToken() = default;
  bool StopRequested() const;

 private:
  friend class TStopSource;
  friend class TStopCallback;
  explicit TStopToken(std::shared_ptr<detail::TStopState> AState) : FState(std::move(AState)) {}
  std::shared_ptr<detail::TStopState> FState;
};

class TStopSource {
 public:
  TStopSource() : FState(std::make_shared<detail::TStopState>()) {}
  TStopToken Token() const { return TStopToken(FState); }
  // Requests the stop and runs every registered callback on this thread before returning. True
  // for the call that made the request, false when it had been made already.
  bool RequestStop();
  bool StopRequested() const;

 private:
  std::shared_ptr<detail::TStopState> FState;
};

// Runs ACallback once when the stop of AToken is requested: at once, inside the constructor, when
// it already was; else on the thread that requests it. The callback must not throw. The
// destructor deregisters it; when the callback is running on another thread at that moment, the
// destructor waits until it has returned (so nothing it uses may be held by the destroying thread
// meanwhile).
class TStopCallback {
 public:
  TStopCallback(const TStopToken& AToken, std::function<void()> ACallback);
  ~TStopCallback();
  TStopCallback(const TStopCallback&) = delete;
  TStopCallback& operator=(const TStopCallback&) = delete;

 private:
  friend class TStopSource;
  std::shared_ptr<detail::TStopState> FState;
  std::function<void()> FCallback;
};

// Blocks the calling thread until AToken's stop is requested or ATimeoutMs have passed. True when
// the stop was requested (also when it already was on entry). Any thread.
bool WaitForStopOrTimeout(const TStopToken& AToken, std::uint32_t ATimeoutMs);

}  // namespace mon
