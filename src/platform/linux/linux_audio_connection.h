// One connection to the sound server through libpulse, shared by the Linux audio system and the
// endpoints and watches it opened.
//
// Threads: libpulse runs on a threaded main loop of its own (the loop thread); every call into
// libpulse from another thread holds the loop's lock. The main thread never waits on the loop
// itself (that wait has no time limit): a request's answer is handed over through FMutex and
// FAnswered, and the main thread waits for it until a deadline, then cancels the request. So a
// slow, hung or missing server holds the main thread no longer than the deadline it gives.
//
// The connection follows the server's default source: every source or server event makes it ask
// for the default source's name and state again, and it tells its listeners (on the loop thread,
// with the loop locked) when either changed.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace mon::lnx {

// What the microphone side needs of a source.
struct TSourceState {
  bool Muted = false;
  // Per channel; 1.0 is the source's normal volume (libpulse's PA_VOLUME_NORM).
  std::vector<float> ChannelVolumes;

  bool operator==(const TSourceState&) const = default;
};

class TPulseConnection {
 public:
  using TClock = std::chrono::steady_clock;
  using TListenerId = std::uint64_t;

  // Starts the loop thread and has it connect to AServer (libpulse's address form, "unix:PATH";
  // empty for the user's default server), never starting a server. Returns at once; a connection
  // that cannot even start is Failed() from the beginning. Main thread.
  TPulseConnection(const std::string& AClientName, const std::string& AServer);
  // Stops the loop thread, then disconnects; no listener is called afterwards. Main thread.
  ~TPulseConnection();

  TPulseConnection(const TPulseConnection&) = delete;
  TPulseConnection& operator=(const TPulseConnection&) = delete;

  // Waits until the connection is ready or has failed, at most until ADeadline; true when ready.
  bool WaitUntilReady(TClock::time_point ADeadline);
  // True once the connection failed or the server ended it; it never becomes ready again.
  bool Failed() const;

  // The default source's state, asked now; nullopt when the connection is not ready, the server
  // has no default source or only a sink's monitor (no microphone), or no answer came by
  // ADeadline.
  std::optional<TSourceState> DefaultSourceState(TClock::time_point ADeadline);
  // Sets the default source's mute; false when the connection is not ready, the server refused
  // or no answer came by ADeadline (the change may still happen later then).
  bool SetDefaultSourceMute(bool AMuted, TClock::time_point ADeadline);

  // Listeners of the default source: mute listeners hear each change of its mute or volume
  // (also when another source becomes the default with another state); default-source listeners
  // hear that another source became the default, or that the connection failed (the server went
  // away, and its sources with it). Called on the loop thread with the loop locked; removing a
  // listener takes the loop lock, so no call is under way or comes afterwards. Main thread.
  TListenerId AddMuteListener(std::shared_ptr<TAudioEndpointVolumeCallback> AListener);
  void RemoveMuteListener(TListenerId AId);
  TListenerId AddDefaultSourceListener(std::shared_ptr<TDefaultCaptureDeviceCallback> AListener);
  void RemoveDefaultSourceListener(TListenerId AId);

 private:
  // Holds the loop's lock (recursive) for a scope; nothing to hold without a loop.
  class TLoopLock {
   public:
    explicit TLoopLock(pa_threaded_mainloop* ALoop) : FLoop(ALoop) {
      if (FLoop != nullptr) {
        pa_threaded_mainloop_lock(FLoop);
      }
    }
    ~TLoopLock() {
      if (FLoop != nullptr) {
        pa_threaded_mainloop_unlock(FLoop);
      }
    }
    TLoopLock(const TLoopLock&) = delete;
    TLoopLock& operator=(const TLoopLock&) = delete;

   private:
    pa_threaded_mainloop* const FLoop;
  };

  struct TLoopDeleter {
    void operator()(pa_threaded_mainloop* ALoop) const { pa_threaded_mainloop_free(ALoop); }
  };
  // Ends the context without calling its state callback; the loop thread must not run.
  struct TContextDeleter {
    void operator()(pa_context* AContext) const;
  };
  struct TOperationDeleter {
    void operator()(pa_operation* AOperation) const { pa_operation_unref(AOperation); }
  };
  using TOperation = std::unique_ptr<pa_operation, TOperationDeleter>;

  // The answer to one request of the main thread, filled in on the loop thread. Done and Value
  // are guarded by the connection's FMutex.
  template <class TValue>
  struct TReply {
    TPulseConnection& Connection;
    bool Done = false;
    std::optional<TValue> Value;  // nullopt: the request failed

    // Loop thread: keeps a value of the answer, which may come in parts.
    void Keep(std::optional<TValue> AValue) {
      std::lock_guard guard(Connection.FMutex);
      Value = std::move(AValue);
    }
    // Loop thread: the answer is complete; wakes the main thread.
    void Finish() {
      std::lock_guard guard(Connection.FMutex);
      Done = true;
      Connection.FAnswered.notify_all();
    }
  };

  // Starts a request with AStart(context, reply) under the loop lock, waits for its answer until
  // ADeadline and cancels the request when none came. Main thread.
  template <class TValue, class TStart>
  std::optional<TValue> Ask(TStart AStart, TClock::time_point ADeadline);

  // Loop thread (the connection's callbacks).
  static void ConnectOnLoopThread(pa_mainloop_api* AApi, void* ASelf);
  static void ContextStateChanged(pa_context* AContext, void* ASelf);
  static void ServerEvent(pa_context* AContext, pa_subscription_event_type_t AType,
                          std::uint32_t AIndex, void* ASelf);
  static void DefaultSourceNameArrived(pa_context* AContext, const pa_server_info* AInfo,
                                       void* ASelf);
  static void DefaultSourceStateArrived(pa_context* AContext, const pa_source_info* AInfo,
                                        int AEndOfList, void* ASelf);
  static void SourceStateAnswered(pa_context* AContext, const pa_source_info* AInfo, int AEndOfList,
                                  void* AReply);
  static void SuccessAnswered(pa_context* AContext, int ASuccess, void* AReply);
  void SetState(pa_context_state_t AState);
  // Asks for the default source's name and state; the answers go to the listeners.
  void FollowDefaultSource();
  void TellDefaultSourceListeners();

  // Reads FState; any thread.
  pa_context_state_t State() const;

  const std::string FClientName;
  const std::string FServer;

  // Declared first, so that it goes last: the context needs the loop's API until it is freed.
  std::unique_ptr<pa_threaded_mainloop, TLoopDeleter> FLoop;
  // Made on the loop thread; read by the main thread under the loop lock.
  std::unique_ptr<pa_context, TContextDeleter> FContext;

  // Guarded by the loop lock: the listeners, and what the loop thread knows of the default
  // source (nothing yet until the first answers, so that they set the start without a call).
  TListenerId FNextListenerId = 1;
  std::map<TListenerId, std::shared_ptr<TAudioEndpointVolumeCallback>> FMuteListeners;
  std::map<TListenerId, std::shared_ptr<TDefaultCaptureDeviceCallback>> FDefaultSourceListeners;
  std::optional<std::string> FKnownDefaultSourceName;
  bool FDefaultSourceStateKnown = false;
  std::optional<TSourceState> FKnownDefaultSourceState;
  // Gathers one answer to a source request, which comes as an item and then an end mark.
  std::optional<TSourceState> FArrivingSourceState;

  // Guards FState and every TReply; FAnswered wakes the main thread when either changes.
  mutable std::mutex FMutex;
  std::condition_variable FAnswered;
  pa_context_state_t FState = PA_CONTEXT_UNCONNECTED;
};

}  // namespace mon::lnx
