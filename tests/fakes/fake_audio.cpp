#include "fake_audio.h"

#include <algorithm>

namespace mon::testing {

class TFakeAudioEndpoint final : public TAudioEndpoint {
 public:
  explicit TFakeAudioEndpoint(TFakeAudioSystem& ASystem)
      : FSystem(ASystem),
        FGeneration(ASystem.FDeviceGeneration),
        FMuted(ASystem.HeadsetIsDefault ? ASystem.HeadsetMuted : ASystem.SystemMuted) {
    FSystem.FLiveEndpoints.push_back(this);
  }
  ~TFakeAudioEndpoint() override {
    if (FCallback) {
      FSystem.ReleasedWhileRegistered = true;
    }
    auto& live = FSystem.FLiveEndpoints;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
  }

  bool RegisterControlChangeNotify(
      std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) override {
    if (FSystem.RegisterFails || !ACallback || FCallback) {
      return false;
    }
    FCallback = std::move(ACallback);
    return true;
  }
  bool UnregisterControlChangeNotify(
      const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) override {
    if (!FCallback || ACallback != FCallback) {
      return false;
    }
    FCallback.reset();
    return true;
  }
  std::optional<bool> GetMute() override {
    if (!Answers()) {
      return std::nullopt;
    }
    return FMuted;
  }
  bool SetMute(bool AMuted) override {
    ++FSystem.SetMuteCalls;
    if (!Answers()) {
      return false;
    }
    FMuted = AMuted;
    return true;
  }

  const std::shared_ptr<TAudioEndpointVolumeCallback>& Callback() const { return FCallback; }

 private:
  bool Answers() const { return FGeneration == FSystem.FDeviceGeneration; }

  TFakeAudioSystem& FSystem;
  const int FGeneration;
  // The state of the device this endpoint was opened on.
  bool& FMuted;
  std::shared_ptr<TAudioEndpointVolumeCallback> FCallback;
};

// Holds the callback until it ends, as the system's watch does.
class TFakeAudioDeviceWatch final : public TAudioDeviceWatch {
 public:
  TFakeAudioDeviceWatch(TFakeAudioSystem& ASystem,
                        std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback)
      : FSystem(ASystem), FCallback(std::move(ACallback)) {
    ++FSystem.LiveDeviceWatches;
  }
  ~TFakeAudioDeviceWatch() override { --FSystem.LiveDeviceWatches; }

 private:
  TFakeAudioSystem& FSystem;
  std::shared_ptr<TDefaultCaptureDeviceCallback> FCallback;
};

class TFakeAudioMixer final : public TAudioMixer {
 public:
  TFakeAudioMixer(TFakeAudioSystem& ASystem, std::vector<TFakeAudioSystem::TLine>& ALines)
      : FSystem(ASystem), FLines(ALines) {
    ++FSystem.LiveMixers;
  }
  ~TFakeAudioMixer() override { --FSystem.LiveMixers; }

  // Line identifiers are 100 + index, control identifiers 200 + index, so that a mix-up of the
  // two shows.
  std::optional<std::uint32_t> FindLineByComponentType(std::uint32_t AComponentType) override {
    for (std::size_t index = 0; index < FLines.size(); ++index) {
      if (FLines[index].ComponentType == AComponentType) {
        return static_cast<std::uint32_t>(100 + index);
      }
    }
    return std::nullopt;
  }
  std::optional<std::uint32_t> FindMuteControl(std::uint32_t ALineID) override {
    TFakeAudioSystem::TLine* line = Line(ALineID, 100);
    if (line == nullptr || !line->HasMuteControl) {
      return std::nullopt;
    }
    return ALineID - 100 + 200;
  }
  std::optional<bool> GetBooleanControlValue(std::uint32_t AControlID) override {
    TFakeAudioSystem::TLine* line = Line(AControlID, 200);
    if (line == nullptr || !line->HasMuteControl || line->ReadFails) {
      return std::nullopt;
    }
    return line->Muted;
  }
  bool SetBooleanControlValue(std::uint32_t AControlID, bool AValue) override {
    TFakeAudioSystem::TLine* line = Line(AControlID, 200);
    if (line == nullptr || !line->HasMuteControl || line->WriteFails) {
      return false;
    }
    line->Muted = AValue;
    return true;
  }

 private:
  TFakeAudioSystem::TLine* Line(std::uint32_t AID, std::uint32_t ABase) {
    if (AID < ABase || AID - ABase >= FLines.size()) {
      return nullptr;
    }
    return &FLines[AID - ABase];
  }

  TFakeAudioSystem& FSystem;
  std::vector<TFakeAudioSystem::TLine>& FLines;
};

std::shared_ptr<TAudioEndpointVolumeCallback> TFakeAudioSystem::RegisteredCallback() const {
  for (auto it = FLiveEndpoints.rbegin(); it != FLiveEndpoints.rend(); ++it) {
    if ((*it)->Callback()) {
      return (*it)->Callback();
    }
  }
  return nullptr;
}

std::unique_ptr<TAudioEndpoint> TFakeAudioSystem::OpenDefaultCaptureEndpoint() {
  ++OpenCalls;
  if (!CaptureDevicePresent) {
    return nullptr;
  }
  return std::make_unique<TFakeAudioEndpoint>(*this);
}

std::unique_ptr<TAudioDeviceWatch> TFakeAudioSystem::WatchDefaultCaptureDevice(
    std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) {
  FDeviceWatchCallback = ACallback;
  return std::make_unique<TFakeAudioDeviceWatch>(*this, std::move(ACallback));
}

std::shared_ptr<TDefaultCaptureDeviceCallback> TFakeAudioSystem::DeviceWatchCallback() const {
  return LiveDeviceWatches > 0 ? FDeviceWatchCallback.lock() : nullptr;
}

std::unique_ptr<TAudioMixer> TFakeAudioSystem::OpenMixer(std::uint32_t AIndex) {
  OpenedMixerIndexes.push_back(AIndex);
  if (AIndex >= Mixers.size()) {
    return nullptr;
  }
  return std::make_unique<TFakeAudioMixer>(*this, Mixers[AIndex]);
}

}  // namespace mon::testing
