// A scripted audio system: a capture device whose mute state belongs to the device (every
// endpoint object opened on it, and every other program, sees the same state), a second one (a
// headset) that can become the default, and mixer devices with lines. Used from the test's main
// thread; only a registered callback may be called from another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"

namespace mon::testing {

class TFakeAudioEndpoint;
class TFakeAudioMixer;

class TFakeAudioSystem final : public TAudioSystem {
 public:
  // ---- endpoint audio
  bool EndpointAudio = true;
  // While false, opening the default capture endpoint fails (no microphone).
  bool CaptureDevicePresent = true;
  bool RegisterFails = false;
  // The capture device's mute state; a test changes it as another program would.
  bool SystemMuted = false;
  // The headset's mute state; while HeadsetIsDefault, new endpoints open the headset.
  bool HeadsetMuted = false;
  bool HeadsetIsDefault = false;
  // The callback of the running device watch; empty when there is none.
  std::shared_ptr<TDefaultCaptureDeviceCallback> DeviceWatchCallback() const;
  int LiveDeviceWatches = 0;

  int OpenCalls = 0;
  int SetMuteCalls = 0;
  // True once an endpoint was destroyed while a callback was still registered with it.
  bool ReleasedWhileRegistered = false;

  // The device is removed and another one takes its place: every endpoint opened so far stops
  // answering, new ones work.
  void ReplaceCaptureDevice() { ++FDeviceGeneration; }
  int LiveEndpoints() const { return static_cast<int>(FLiveEndpoints.size()); }
  // The callback registered with a live endpoint (the newest); empty when none is.
  std::shared_ptr<TAudioEndpointVolumeCallback> RegisteredCallback() const;

  // ---- mixer
  struct TLine {
    std::uint32_t ComponentType = 0;
    bool HasMuteControl = true;
    bool Muted = false;
    bool ReadFails = false;
    bool WriteFails = false;
  };
  // The lines of each mixer device, by device index.
  std::vector<std::vector<TLine>> Mixers;
  std::vector<std::uint32_t> OpenedMixerIndexes;
  int LiveMixers = 0;

  // ---- TAudioSystem
  bool IsEndpointAudioSystem() override { return EndpointAudio; }
  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override;
  std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) override;
  std::uint32_t MixerDeviceCount() override { return static_cast<std::uint32_t>(Mixers.size()); }
  std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t AIndex) override;

 private:
  friend class TFakeAudioEndpoint;
  friend class TFakeAudioMixer;
  int FDeviceGeneration = 0;
  std::vector<TFakeAudioEndpoint*> FLiveEndpoints;
  std::weak_ptr<TDefaultCaptureDeviceCallback> FDeviceWatchCallback;
};

}  // namespace mon::testing
