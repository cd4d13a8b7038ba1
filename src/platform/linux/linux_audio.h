// Audio on Linux: the microphone is the sound server's default source, reached through libpulse
// (PulseAudio, and PipeWire through its PulseAudio service). An endpoint follows whichever source
// is the default when it is asked. There is no mixer.
//
// One connection to the server (linux_audio_connection.h) is made at the first call that needs
// it and kept for the later ones; a connection that failed (the server went away) is made again
// at the next open. Every call of the main thread waits for the server at most
// kLongestServerWait in all, connecting included, so a slow, hung or missing server never holds
// the main thread longer. Notifications come on libpulse's loop thread.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/audio.h"

namespace mon::lnx {

class TPulseConnection;

// The longest a call of the main thread waits for the sound server.
inline constexpr std::chrono::milliseconds kLongestServerWait{80};

class TLinuxAudioSystem final : public TAudioSystem {
 public:
  // AClientName: how the server lists this program. AServer: the server's address in libpulse's
  // form ("unix:PATH"); empty for the user's default server (PULSE_SERVER, the client
  // configuration, the per-user socket). Connects to nothing yet; never starts a server.
  explicit TLinuxAudioSystem(std::string AClientName, std::string AServer = {});
  ~TLinuxAudioSystem() override;

  TLinuxAudioSystem(const TLinuxAudioSystem&) = delete;
  TLinuxAudioSystem& operator=(const TLinuxAudioSystem&) = delete;

  // Always true: the Linux backend has endpoint audio only.
  bool IsEndpointAudioSystem() override { return true; }
  // The default source; nullptr when the server cannot be reached or is not ready in time, or
  // it has no default source or only a sink's monitor (no microphone).
  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override;
  // Calls ACallback when another source becomes the default, and when the server goes away;
  // nullptr when the server cannot be reached or is not ready in time.
  std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) override;
  std::uint32_t MixerDeviceCount() override { return 0; }
  std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t) override { return nullptr; }

 private:
  // The kept connection, made anew when there is none or it failed; nullptr when it is not
  // ready by ADeadline (one that is still connecting is kept for the next call).
  std::shared_ptr<TPulseConnection> ReadyConnection(
      std::chrono::steady_clock::time_point ADeadline);

  const std::string FClientName;
  const std::string FServer;
  std::shared_ptr<TPulseConnection> FConnection;
};

}  // namespace mon::lnx
