#include "platform/linux/linux_audio.h"

#include <utility>

#include "platform/linux/linux_audio_connection.h"

namespace mon::lnx {

namespace {

TPulseConnection::TClock::time_point CallDeadline() {
  return TPulseConnection::TClock::now() + kLongestServerWait;
}

// The server's default source as an endpoint. It keeps the connection it was opened on: when
// that fails, the endpoint answers nothing and the owner opens a new one.
class TLinuxAudioEndpoint final : public TAudioEndpoint {
 public:
  explicit TLinuxAudioEndpoint(std::shared_ptr<TPulseConnection> AConnection)
      : FConnection(std::move(AConnection)) {}

  ~TLinuxAudioEndpoint() override {
    if (FCallback) {
      FConnection->RemoveMuteListener(FListener);
    }
  }

  TLinuxAudioEndpoint(const TLinuxAudioEndpoint&) = delete;
  TLinuxAudioEndpoint& operator=(const TLinuxAudioEndpoint&) = delete;

  bool RegisterControlChangeNotify(
      std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) override {
    if (!ACallback || FCallback || FConnection->Failed()) {
      return false;
    }
    FListener = FConnection->AddMuteListener(ACallback);
    FCallback = std::move(ACallback);
    return true;
  }

  bool UnregisterControlChangeNotify(
      const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) override {
    if (!FCallback || ACallback != FCallback) {
      return false;
    }
    FConnection->RemoveMuteListener(FListener);
    FCallback.reset();
    return true;
  }

  std::optional<bool> GetMute() override {
    const std::optional<TSourceState> state = FConnection->DefaultSourceState(CallDeadline());
    if (!state) {
      return std::nullopt;
    }
    return state->Muted;
  }

  bool SetMute(bool AMuted) override {
    return FConnection->SetDefaultSourceMute(AMuted, CallDeadline());
  }

 private:
  const std::shared_ptr<TPulseConnection> FConnection;
  std::shared_ptr<TAudioEndpointVolumeCallback> FCallback;
  TPulseConnection::TListenerId FListener = 0;
};

class TLinuxAudioDeviceWatch final : public TAudioDeviceWatch {
 public:
  TLinuxAudioDeviceWatch(std::shared_ptr<TPulseConnection> AConnection,
                         std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback)
      : FConnection(std::move(AConnection)),
        FListener(FConnection->AddDefaultSourceListener(std::move(ACallback))) {}

  ~TLinuxAudioDeviceWatch() override { FConnection->RemoveDefaultSourceListener(FListener); }

  TLinuxAudioDeviceWatch(const TLinuxAudioDeviceWatch&) = delete;
  TLinuxAudioDeviceWatch& operator=(const TLinuxAudioDeviceWatch&) = delete;

 private:
  const std::shared_ptr<TPulseConnection> FConnection;
  const TPulseConnection::TListenerId FListener;
};

}  // namespace

TLinuxAudioSystem::TLinuxAudioSystem(std::string AClientName, std::string AServer)
    : FClientName(std::move(AClientName)), FServer(std::move(AServer)) {}

TLinuxAudioSystem::~TLinuxAudioSystem() = default;

std::shared_ptr<TPulseConnection> TLinuxAudioSystem::ReadyConnection(
    std::chrono::steady_clock::time_point ADeadline) {
  if (FConnection && FConnection->Failed()) {
    FConnection.reset();
  }
  if (!FConnection) {
    FConnection = std::make_shared<TPulseConnection>(FClientName, FServer);
  }
  if (!FConnection->WaitUntilReady(ADeadline)) {
    return nullptr;
  }
  return FConnection;
}

std::unique_ptr<TAudioEndpoint> TLinuxAudioSystem::OpenDefaultCaptureEndpoint() {
  const auto deadline = CallDeadline();
  std::shared_ptr<TPulseConnection> connection = ReadyConnection(deadline);
  if (!connection || !connection->DefaultSourceState(deadline)) {
    return nullptr;
  }
  return std::make_unique<TLinuxAudioEndpoint>(std::move(connection));
}

std::unique_ptr<TAudioDeviceWatch> TLinuxAudioSystem::WatchDefaultCaptureDevice(
    std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) {
  if (!ACallback) {
    return nullptr;
  }
  std::shared_ptr<TPulseConnection> connection = ReadyConnection(CallDeadline());
  if (!connection) {
    return nullptr;
  }
  return std::make_unique<TLinuxAudioDeviceWatch>(std::move(connection), std::move(ACallback));
}

}  // namespace mon::lnx
