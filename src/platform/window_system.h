// Windows as message targets: other programs' top-level windows, found by class name, and the
// shape every window of our own shares (messages posted to itself, timers).
#pragma once

#include <cstdint>
#include <string>

namespace mon {

// An opaque window handle; 0 means no window.
using TWindowHandle = std::uintptr_t;

// A window of this program that receives messages on the main thread. Main thread only, except
// PostToSelf, which any thread may call.
class TMessageWindow {
 public:
  virtual ~TMessageWindow() = default;

  virtual TWindowHandle Handle() const = 0;

  // Queues a message for this window; the main loop delivers it later. False when the queue
  // refuses it.
  virtual bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) = 0;

  // Starts (or restarts, with the full interval from now) the timer AId (non-zero): it fires
  // every AIntervalMs until StopTimer. False on failure.
  virtual bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) = 0;
  // Stops the timer AId; nothing when it is not running. A tick already queued may still
  // arrive once, so one-shot users stop the timer and ignore a tick that finds it stopped.
  virtual void StopTimer(std::uintptr_t AId) = 0;
};

class TWindowSystem {
 public:
  virtual ~TWindowSystem() = default;
  // The top-level window whose class name is AClassName, with any title; 0 when there is none.
  virtual TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) = 0;
};

}  // namespace mon
