// Audio on Windows: Core Audio (the default capture endpoint's IAudioEndpointVolume) on NT 6 or
// later, and the multimedia mixer (winmm) for older systems. The pieces are in
// win32_core_audio.h.
#pragma once

#include "platform/audio.h"

namespace mon::win32 {

class TWin32AudioSystem final : public TAudioSystem {
 public:
  // NT family with a major version of 6 or more, as the system reports its version.
  bool IsEndpointAudioSystem() override;
  // Initialises COM on the calling thread (single-threaded apartment), creates the device
  // enumerator, asks for the default endpoint of eCapture/eMultimedia and activates its
  // IAudioEndpointVolume; nullptr when any step fails.
  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override;
  // Registers an IMMNotificationClient with a device enumerator of its own.
  std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) override;
  std::uint32_t MixerDeviceCount() override;
  // mixerOpen without callback or flags.
  std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t AIndex) override;
};

}  // namespace mon::win32
