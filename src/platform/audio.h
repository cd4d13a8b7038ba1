// The audio services the microphone mute needs: the default capture endpoint with its mute state
// and change notification (the endpoint audio of newer systems), and the multimedia mixer of
// older systems.
//
// Threads: every method is called on the main thread, and an endpoint or mixer object is used and
// destroyed on the thread that opened it. Only TAudioEndpointVolumeCallback::OnNotify runs
// elsewhere, on a thread of the audio system. Nothing here throws except std::bad_alloc.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace mon {

// What the audio system reports with a volume or mute change of an endpoint.
struct TAudioVolumeNotificationData {
  std::array<std::uint8_t, 16> EventContext{};  // the context the changing program passed
  bool Muted = false;
  float MasterVolume = 0.0f;
  std::vector<float> ChannelVolumes;
};

// Receiver of an endpoint's change notifications.
class TAudioEndpointVolumeCallback {
 public:
  virtual ~TAudioEndpointVolumeCallback() = default;
  // Called on a thread of the audio system, never on the main thread; it must not block. It may
  // still be running, or be called once more, while the main thread unregisters it, so it must
  // touch nothing that the unregistering side destroys.
  virtual void OnNotify(const TAudioVolumeNotificationData& ANotify) = 0;
};

// Receiver of the changes of the default capture device (a headset plugged in or chosen in the
// sound settings, the default device removed).
class TDefaultCaptureDeviceCallback {
 public:
  virtual ~TDefaultCaptureDeviceCallback() = default;
  // Called on a thread of the audio system, never on the main thread; it must not block. It may
  // still be running, or be called once more, while its watch ends, so it must touch nothing
  // that the ending side destroys.
  virtual void DefaultCaptureDeviceChanged() = 0;
};

// A running watch of the default capture device; destroying it ends the calls (and waits for
// none: see the callback).
class TAudioDeviceWatch {
 public:
  virtual ~TAudioDeviceWatch() = default;
};

// One opened capture endpoint. Destroying it unregisters a callback that is still registered and
// then releases the endpoint.
class TAudioEndpoint {
 public:
  virtual ~TAudioEndpoint() = default;

  // Asks the audio system to call ACallback on every volume or mute change of this endpoint. On
  // success the endpoint keeps the callback alive until it is unregistered (or the endpoint is
  // destroyed) and returns true; on failure it keeps nothing and returns false. One callback at a
  // time: registering while one is registered fails.
  virtual bool RegisterControlChangeNotify(
      std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) = 0;
  // Ends the notifications to ACallback and drops the endpoint's hold on it. False when
  // ACallback is not the registered callback or the system refuses; the hold is dropped anyway.
  virtual bool UnregisterControlChangeNotify(
      const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) = 0;

  // The endpoint's mute state; nullopt when it cannot be read (for example the device is gone).
  virtual std::optional<bool> GetMute() = 0;
  // Sets the mute state; false when the system refuses (for example the device is gone).
  virtual bool SetMute(bool AMuted) = 0;
};

// One opened mixer device; destroying it closes the device. Line and control identifiers are the
// device's own numbers.
class TAudioMixer {
 public:
  virtual ~TAudioMixer() = default;

  // The line of the given component type (the system's MIXERLINE_COMPONENTTYPE_* numbers);
  // nullopt when the device has no such line or the query fails.
  virtual std::optional<std::uint32_t> FindLineByComponentType(std::uint32_t AComponentType) = 0;
  // The line's one mute control; nullopt when it has none or the query fails.
  virtual std::optional<std::uint32_t> FindMuteControl(std::uint32_t ALineID) = 0;
  // A one-channel Boolean control's value; nullopt when it cannot be read.
  virtual std::optional<bool> GetBooleanControlValue(std::uint32_t AControlID) = 0;
  // Writes a one-channel Boolean control's value; false when that fails.
  virtual bool SetBooleanControlValue(std::uint32_t AControlID, bool AValue) = 0;
};

class TAudioSystem {
 public:
  virtual ~TAudioSystem() = default;

  // True when the system has endpoint audio (Windows of the NT family, major version 6 or more;
  // always on the Linux backend); false on older systems, which have only the mixer.
  virtual bool IsEndpointAudioSystem() = 0;

  // The volume interface of the default capture endpoint for multimedia, or nullptr when there
  // is no capture device or the audio system fails. Each call opens a new endpoint object.
  virtual std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() = 0;

  // Calls ACallback whenever the default capture endpoint for multimedia changes, until the
  // returned watch is destroyed (it holds ACallback until then). nullptr when the system cannot
  // watch (no endpoint audio, the audio system fails).
  virtual std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) = 0;

  // The number of mixer devices (0 when there are none).
  virtual std::uint32_t MixerDeviceCount() = 0;
  // Opens mixer device AIndex; nullptr when it cannot be opened.
  virtual std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t AIndex) = 0;
};

// Forwards every call to another audio system, so that a variant overrides only what it changes
// (for example a test that takes the older systems' mixer path on a newer system).
class TAudioSystemWrapper : public TAudioSystem {
 public:
  explicit TAudioSystemWrapper(TAudioSystem& ATarget) : FTarget(ATarget) {}

  bool IsEndpointAudioSystem() override { return FTarget.IsEndpointAudioSystem(); }
  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override {
    return FTarget.OpenDefaultCaptureEndpoint();
  }
  std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) override {
    return FTarget.WatchDefaultCaptureDevice(std::move(ACallback));
  }
  std::uint32_t MixerDeviceCount() override { return FTarget.MixerDeviceCount(); }
  std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t AIndex) override {
    return FTarget.OpenMixer(AIndex);
  }

 protected:
  TAudioSystem& Target() { return FTarget; }

 private:
  TAudioSystem& FTarget;
};

}  // namespace mon
