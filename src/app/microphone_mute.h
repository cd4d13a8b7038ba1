// Microphone mute: the mute key of the mouse inverts the mute state of the default capture
// device. Systems with endpoint audio use the default capture endpoint, which is opened once and
// kept; older systems use the microphone line of the first mixer device, opened for each call.
// The main window holds one TMicrophoneMute and forwards to it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/audio.h"
#include "platform/message_box.h"

namespace mon {

// Mixer line selection by type number 0..3; the monitor uses type 1, the microphone.
inline constexpr int kMixerLineSpeakers = 0;
inline constexpr int kMixerLineMicrophone = 1;
inline constexpr int kMixerLineWaveOut = 2;
inline constexpr int kMixerLineSynthesizer = 3;
inline constexpr std::array<std::uint32_t, 4> kMixerLineComponentTypes = {
    4,       // MIXERLINE_COMPONENTTYPE_DST_SPEAKERS
    0x1003,  // MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE
    0x1008,  // MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT
    0x1004,  // MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER
};

// The texts of the mixer errors, shown in a modal box.
inline constexpr char16_t kMixerGetLineInfoErrorText[] = u"GetLineInfo Error";
inline constexpr char16_t kMixerSetControlDetailsErrorText[] = u"SetControlDetails Error";

// How the audio system's threads reach the main thread: each is called on an audio thread, must
// not block, and may come late (while or after its sink or watch ends), so it may hold nothing
// that the main thread destroys (a TWindowSignal's Post, for example). Either may be empty.
struct TMicrophoneSignals {
  std::function<void()> MuteChanged;           // the endpoint reported a mute or volume change
  std::function<void()> DefaultDeviceChanged;  // another capture device became the default
};

// The endpoint's notification sink. It marks that a notification is being handled and hands the
// change to the main thread; the flag is shared with the TMicrophoneMute that created it, so a
// notification that arrives late (while or after the sink is unregistered) touches nothing that
// has been destroyed.
class TMyEndpointVolumeCallback final : public TAudioEndpointVolumeCallback {
 public:
  TMyEndpointVolumeCallback(std::shared_ptr<std::atomic<bool>> AVolumeUpdating,
                            std::function<void()> AMuteChanged)
      : FVolumeUpdating(std::move(AVolumeUpdating)), FMuteChanged(std::move(AMuteChanged)) {}

  // Audio thread. Sets VolumeUpdating, signals the main thread, then clears VolumeUpdating; the
  // notification data is not used (the main thread reads the state it then has).
  void OnNotify(const TAudioVolumeNotificationData& ANotify) override;

 private:
  std::shared_ptr<std::atomic<bool>> FVolumeUpdating;
  const std::function<void()> FMuteChanged;
};

class TMicrophoneMute {
 public:
  // AAudio and AMessageBox must outlive this object. Nothing is opened yet.
  TMicrophoneMute(TAudioSystem& AAudio, TMessageBox& AMessageBox, TMicrophoneSignals ASignals = {});
  // Ends the device watch, unregisters the notification sink, then releases the endpoint.
  ~TMicrophoneMute();

  TMicrophoneMute(const TMicrophoneMute&) = delete;
  TMicrophoneMute& operator=(const TMicrophoneMute&) = delete;

  // True on systems with endpoint audio; the main window opens the endpoint at creation only
  // there. Main thread.
  bool UsesAudioEndpoint() { return FAudio.IsEndpointAudioSystem(); }

  // Opens the default capture endpoint and registers the notification sink with it, replacing
  // an endpoint that is open. Failures leave no endpoint and show nothing. Main thread.
  void OpenAudioEndpoint();
  bool HasAudioEndpoint() const { return FEndpoint != nullptr; }

  // Starts signalling DefaultDeviceChanged whenever the default capture device changes (nothing
  // when the system cannot tell). Main thread.
  void WatchDefaultDevice();
  // The mute state of the open endpoint now; nullopt without an endpoint or when it does not
  // answer. Main thread.
  std::optional<bool> MuteState();

  // Inverts the microphone's mute state as the system reports it now. On older systems through
  // the mixer; otherwise through the endpoint, which is opened first when it is not open (and
  // nothing happens while that fails). When the open endpoint no longer answers (its device is
  // gone), it is released and the then default endpoint is opened and used once. Main thread.
  void MicrophoneMute();

  // The mute state of mixer line AType (0..3) of the first mixer device; false when it cannot be
  // read or AType is out of range. A missing mute control shows "GetLineInfo Error", a failed
  // read "SetControlDetails Error". Main thread; the boxes block it until dismissed.
  bool GetMixerMute(int AType);
  // Writes AValue (non-zero: muted) to mixer line AType (0..3) of the first mixer device.
  // Nothing happens when AType is out of range or the device or line is missing; a missing mute
  // control shows "GetLineInfo Error", a failed write "SetControlDetails Error". Main thread.
  void SetMixerMute(int AType, std::uint8_t AValue);

  // True only while the notification sink handles a notification. Any thread.
  bool VolumeUpdating() const { return FVolumeUpdating->load(); }

 private:
  // The mute control of mixer line AType, with its open mixer; no mixer when the line or the
  // device is missing, and no control (after the message) when the line has none.
  struct TMixerMuteControl {
    std::unique_ptr<TAudioMixer> Mixer;
    std::uint32_t ControlID = 0;
  };
  TMixerMuteControl OpenMixerMuteControl(int AType);
  void ShowMixerError(const std::u16string& AText);
  // One GetMute/SetMute round on the open endpoint; false when the endpoint did not answer.
  bool ToggleEndpointMute();
  void ReleaseAudioEndpoint();

  // Hands the system's device change to DefaultDeviceChanged.
  class TDeviceWatchCallback;

  TAudioSystem& FAudio;
  TMessageBox& FMessageBox;
  const TMicrophoneSignals FSignals;
  std::unique_ptr<TAudioDeviceWatch> FDeviceWatch;
  std::shared_ptr<std::atomic<bool>> FVolumeUpdating;
  std::unique_ptr<TAudioEndpoint> FEndpoint;
  // The registered sink. The endpoint holds the only reference; this one serves to unregister.
  std::weak_ptr<TMyEndpointVolumeCallback> FCallback;
};

}  // namespace mon
