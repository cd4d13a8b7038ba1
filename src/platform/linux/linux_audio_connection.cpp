#include "platform/linux/linux_audio_connection.h"

#include <algorithm>
#include <utility>

namespace mon::lnx {

namespace {

// libpulse's name for whichever source is the server's default when the request arrives.
constexpr char kDefaultSource[] = "@DEFAULT_SOURCE@";

bool IsOver(pa_context_state_t AState) {
  return AState == PA_CONTEXT_FAILED || AState == PA_CONTEXT_TERMINATED;
}

// nullopt for a sink's monitor: it records what the speakers play and is no microphone.
std::optional<TSourceState> MicrophoneStateOf(const pa_source_info& AInfo) {
  if (AInfo.monitor_of_sink != PA_INVALID_INDEX) {
    return std::nullopt;
  }
  TSourceState state;
  state.Muted = AInfo.mute != 0;
  const unsigned channels = std::min<unsigned>(AInfo.volume.channels, PA_CHANNELS_MAX);
  for (unsigned channel = 0; channel < channels; ++channel) {
    state.ChannelVolumes.push_back(static_cast<float>(AInfo.volume.values[channel]) /
                                   static_cast<float>(PA_VOLUME_NORM));
  }
  return state;
}

// What a mute listener is told. The master volume is the loudest channel's, as libpulse counts
// a source's overall volume.
TAudioVolumeNotificationData NotificationOf(const TSourceState& AState) {
  TAudioVolumeNotificationData data;
  data.Muted = AState.Muted;
  data.ChannelVolumes = AState.ChannelVolumes;
  if (!AState.ChannelVolumes.empty()) {
    data.MasterVolume =
        *std::max_element(AState.ChannelVolumes.begin(), AState.ChannelVolumes.end());
  }
  return data;
}

// Drops the reference that a request returns when nobody waits for its answer.
void Forget(pa_operation* AOperation) {
  if (AOperation != nullptr) {
    pa_operation_unref(AOperation);
  }
}

}  // namespace

void TPulseConnection::TContextDeleter::operator()(pa_context* AContext) const {
  pa_context_set_state_callback(AContext, nullptr, nullptr);
  pa_context_set_subscribe_callback(AContext, nullptr, nullptr);
  pa_context_disconnect(AContext);
  pa_context_unref(AContext);
}

TPulseConnection::TPulseConnection(const std::string& AClientName, const std::string& AServer)
    : FClientName(AClientName), FServer(AServer), FLoop(pa_threaded_mainloop_new()) {
  if (!FLoop) {
    FState = PA_CONTEXT_FAILED;
    return;
  }
  // Even making the context reads files (the client configuration), and connecting may resolve
  // a host name: both happen on the loop thread, so that neither can hold up the main thread.
  // Queued before the loop thread starts, so without its lock: the main thread's first lock
  // comes after the loop thread has answered, and libpulse's lazily made thread data is then
  // ready for both threads (ThreadSanitizer, which cannot see libpulse's own atomics, would
  // otherwise take that first hand-over for a race).
  pa_mainloop_api_once(pa_threaded_mainloop_get_api(FLoop.get()), ConnectOnLoopThread, this);
  if (pa_threaded_mainloop_start(FLoop.get()) < 0) {
    FState = PA_CONTEXT_FAILED;
  }
}

TPulseConnection::~TPulseConnection() {
  if (FLoop) {
    pa_threaded_mainloop_stop(FLoop.get());
  }
  // The members go in reverse order: with no loop thread running, the listeners, then the
  // context (disconnected), then the loop.
}

void TPulseConnection::ConnectOnLoopThread(pa_mainloop_api* AApi, void* ASelf) {
  auto& self = *static_cast<TPulseConnection*>(ASelf);
  pa_context* context = pa_context_new(AApi, self.FClientName.c_str());
  if (context == nullptr) {
    self.SetState(PA_CONTEXT_FAILED);
    return;
  }
  self.FContext.reset(context);
  pa_context_set_state_callback(context, ContextStateChanged, &self);
  // Without autospawn a missing server is reported at once instead of being started.
  const char* server = self.FServer.empty() ? nullptr : self.FServer.c_str();
  if (pa_context_connect(context, server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    self.SetState(PA_CONTEXT_FAILED);
  }
}

void TPulseConnection::ContextStateChanged(pa_context* AContext, void* ASelf) {
  auto& self = *static_cast<TPulseConnection*>(ASelf);
  const pa_context_state_t state = pa_context_get_state(AContext);
  if (state == PA_CONTEXT_READY) {
    // Asked before the main thread learns that the connection is ready, so that the first
    // answers (the start of what the listeners compare with) come before any of its own.
    pa_context_set_subscribe_callback(AContext, ServerEvent, &self);
    Forget(pa_context_subscribe(AContext,
                                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE |
                                                                    PA_SUBSCRIPTION_MASK_SERVER),
                                nullptr, nullptr));
    self.FollowDefaultSource();
  } else if (IsOver(state)) {
    // The server went away, and the default source with it.
    self.TellDefaultSourceListeners();
  }
  self.SetState(state);
}

void TPulseConnection::ServerEvent(pa_context*, pa_subscription_event_type_t AType, std::uint32_t,
                                   void* ASelf) {
  const unsigned facility = AType & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  // A source changed (its mute, a new or removed one), or the server's defaults did.
  if (facility == PA_SUBSCRIPTION_EVENT_SOURCE || facility == PA_SUBSCRIPTION_EVENT_SERVER) {
    static_cast<TPulseConnection*>(ASelf)->FollowDefaultSource();
  }
}

void TPulseConnection::FollowDefaultSource() {
  pa_context* context = FContext.get();
  Forget(pa_context_get_server_info(context, DefaultSourceNameArrived, this));
  Forget(
      pa_context_get_source_info_by_name(context, kDefaultSource, DefaultSourceStateArrived, this));
}

void TPulseConnection::DefaultSourceNameArrived(pa_context*, const pa_server_info* AInfo,
                                                void* ASelf) {
  if (AInfo == nullptr) {
    return;
  }
  auto& self = *static_cast<TPulseConnection*>(ASelf);
  std::string name = AInfo->default_source_name != nullptr ? AInfo->default_source_name : "";
  const bool changed = self.FKnownDefaultSourceName && *self.FKnownDefaultSourceName != name;
  self.FKnownDefaultSourceName = std::move(name);
  if (changed) {
    self.TellDefaultSourceListeners();
  }
}

void TPulseConnection::DefaultSourceStateArrived(pa_context*, const pa_source_info* AInfo, int,
                                                 void* ASelf) {
  auto& self = *static_cast<TPulseConnection*>(ASelf);
  if (AInfo != nullptr) {
    self.FArrivingSourceState = MicrophoneStateOf(*AInfo);
    return;
  }
  // The end of the answer; nothing came before it when there is no default source.
  std::optional<TSourceState> state = std::exchange(self.FArrivingSourceState, std::nullopt);
  // Losing the microphone is no mute change (the default-source listeners hear of it); getting
  // one back with another state is.
  const bool changed =
      self.FDefaultSourceStateKnown && state && state != self.FKnownDefaultSourceState;
  self.FDefaultSourceStateKnown = true;
  self.FKnownDefaultSourceState = state;
  if (!changed) {
    return;
  }
  const TAudioVolumeNotificationData data = NotificationOf(*state);
  // A copy: a listener that ended a listening from here would change the map under the loop.
  std::vector<std::shared_ptr<TAudioEndpointVolumeCallback>> listeners;
  for (const auto& entry : self.FMuteListeners) {
    listeners.push_back(entry.second);
  }
  for (const auto& listener : listeners) {
    try {
      listener->OnNotify(data);
    } catch (...) {
      // Nothing may escape into libpulse's loop.
    }
  }
}

void TPulseConnection::TellDefaultSourceListeners() {
  std::vector<std::shared_ptr<TDefaultCaptureDeviceCallback>> listeners;
  for (const auto& entry : FDefaultSourceListeners) {
    listeners.push_back(entry.second);
  }
  for (const auto& listener : listeners) {
    try {
      listener->DefaultCaptureDeviceChanged();
    } catch (...) {
      // Nothing may escape into libpulse's loop.
    }
  }
}

void TPulseConnection::SetState(pa_context_state_t AState) {
  std::lock_guard guard(FMutex);
  FState = AState;
  FAnswered.notify_all();
}

pa_context_state_t TPulseConnection::State() const {
  std::lock_guard guard(FMutex);
  return FState;
}

bool TPulseConnection::Failed() const {
  return IsOver(State());
}

bool TPulseConnection::WaitUntilReady(TClock::time_point ADeadline) {
  std::unique_lock guard(FMutex);
  FAnswered.wait_until(guard, ADeadline,
                       [this] { return FState == PA_CONTEXT_READY || IsOver(FState); });
  return FState == PA_CONTEXT_READY;
}

template <class TValue, class TStart>
std::optional<TValue> TPulseConnection::Ask(TStart AStart, TClock::time_point ADeadline) {
  if (State() != PA_CONTEXT_READY) {
    return std::nullopt;
  }
  TReply<TValue> reply{.Connection = *this, .Done = false, .Value = std::nullopt};
  TOperation operation;
  {
    TLoopLock lock(FLoop.get());
    // Null when the context failed in the meantime.
    operation.reset(AStart(FContext.get(), &reply));
  }
  if (!operation) {
    return std::nullopt;
  }
  {
    std::unique_lock guard(FMutex);
    // A failed context cancels its requests without answering them.
    FAnswered.wait_until(guard, ADeadline, [&] { return reply.Done || IsOver(FState); });
  }
  TLoopLock lock(FLoop.get());
  // With the loop locked no callback runs: an answer that has not come by now never will, and
  // the reply may go when this function returns.
  if (pa_operation_get_state(operation.get()) == PA_OPERATION_RUNNING) {
    pa_operation_cancel(operation.get());
  }
  operation.reset();
  std::lock_guard guard(FMutex);
  return reply.Done ? reply.Value : std::nullopt;
}

void TPulseConnection::SourceStateAnswered(pa_context*, const pa_source_info* AInfo, int,
                                           void* AReply) {
  auto& reply = *static_cast<TReply<TSourceState>*>(AReply);
  if (AInfo != nullptr) {
    reply.Keep(MicrophoneStateOf(*AInfo));
    return;
  }
  reply.Finish();
}

void TPulseConnection::SuccessAnswered(pa_context*, int ASuccess, void* AReply) {
  auto& reply = *static_cast<TReply<bool>*>(AReply);
  reply.Keep(ASuccess != 0);
  reply.Finish();
}

std::optional<TSourceState> TPulseConnection::DefaultSourceState(TClock::time_point ADeadline) {
  return Ask<TSourceState>(
      [](pa_context* AContext, TReply<TSourceState>* AReply) {
        return pa_context_get_source_info_by_name(AContext, kDefaultSource, SourceStateAnswered,
                                                  AReply);
      },
      ADeadline);
}

bool TPulseConnection::SetDefaultSourceMute(bool AMuted, TClock::time_point ADeadline) {
  const std::optional<bool> done = Ask<bool>(
      [AMuted](pa_context* AContext, TReply<bool>* AReply) {
        return pa_context_set_source_mute_by_name(AContext, kDefaultSource, AMuted ? 1 : 0,
                                                  SuccessAnswered, AReply);
      },
      ADeadline);
  return done.value_or(false);
}

TPulseConnection::TListenerId TPulseConnection::AddMuteListener(
    std::shared_ptr<TAudioEndpointVolumeCallback> AListener) {
  TLoopLock lock(FLoop.get());
  const TListenerId id = FNextListenerId++;
  FMuteListeners.emplace(id, std::move(AListener));
  return id;
}

void TPulseConnection::RemoveMuteListener(TListenerId AId) {
  TLoopLock lock(FLoop.get());
  FMuteListeners.erase(AId);
}

TPulseConnection::TListenerId TPulseConnection::AddDefaultSourceListener(
    std::shared_ptr<TDefaultCaptureDeviceCallback> AListener) {
  TLoopLock lock(FLoop.get());
  const TListenerId id = FNextListenerId++;
  FDefaultSourceListeners.emplace(id, std::move(AListener));
  return id;
}

void TPulseConnection::RemoveDefaultSourceListener(TListenerId AId) {
  TLoopLock lock(FLoop.get());
  FDefaultSourceListeners.erase(AId);
}

}  // namespace mon::lnx
