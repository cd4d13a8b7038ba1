#include "app/microphone_mute.h"

#include "framework/application.h"

namespace mon {

void TMyEndpointVolumeCallback::OnNotify(const TAudioVolumeNotificationData&) {
  FVolumeUpdating->store(true);
  if (FMuteChanged) {
    FMuteChanged();
  }
  FVolumeUpdating->store(false);
}

class TMicrophoneMute::TDeviceWatchCallback final : public TDefaultCaptureDeviceCallback {
 public:
  explicit TDeviceWatchCallback(std::function<void()> AChanged) : FChanged(std::move(AChanged)) {}
  void DefaultCaptureDeviceChanged() override {
    if (FChanged) {
      FChanged();
    }
  }

 private:
  const std::function<void()> FChanged;
};

TMicrophoneMute::TMicrophoneMute(TAudioSystem& AAudio, TMessageBox& AMessageBox,
                                 TMicrophoneSignals ASignals)
    : FAudio(AAudio),
      FMessageBox(AMessageBox),
      FSignals(std::move(ASignals)),
      FVolumeUpdating(std::make_shared<std::atomic<bool>>(false)) {}

TMicrophoneMute::~TMicrophoneMute() {
  FDeviceWatch.reset();
  ReleaseAudioEndpoint();
}

void TMicrophoneMute::WatchDefaultDevice() {
  if (FDeviceWatch || !FAudio.IsEndpointAudioSystem()) {
    return;
  }
  try {
    FDeviceWatch = FAudio.WatchDefaultCaptureDevice(
        std::make_shared<TDeviceWatchCallback>(FSignals.DefaultDeviceChanged));
  } catch (...) {
    // Without a watch the monitor keeps the endpoint it has, as before.
  }
}

std::optional<bool> TMicrophoneMute::MuteState() {
  if (!FEndpoint) {
    return std::nullopt;
  }
  try {
    return FEndpoint->GetMute();
  } catch (...) {
    return std::nullopt;
  }
}

void TMicrophoneMute::ReleaseAudioEndpoint() {
  if (!FEndpoint) {
    return;
  }
  // The audio system must be done with the sink before the endpoint goes away.
  if (const auto callback = FCallback.lock()) {
    FEndpoint->UnregisterControlChangeNotify(callback);
  }
  FCallback.reset();
  FEndpoint.reset();
}

void TMicrophoneMute::OpenAudioEndpoint() {
  try {
    ReleaseAudioEndpoint();
    FEndpoint = FAudio.OpenDefaultCaptureEndpoint();
    if (!FEndpoint) {
      return;
    }
    auto callback =
        std::make_shared<TMyEndpointVolumeCallback>(FVolumeUpdating, FSignals.MuteChanged);
    if (FEndpoint->RegisterControlChangeNotify(callback)) {
      FCallback = callback;
    }
    // The local reference ends here: the endpoint keeps the sink alive.
  } catch (...) {
    // A failed open is silent; the next mute press tries again.
  }
}

bool TMicrophoneMute::ToggleEndpointMute() {
  const std::optional<bool> muted = FEndpoint->GetMute();
  return muted && FEndpoint->SetMute(!*muted);
}

void TMicrophoneMute::MicrophoneMute() {
  if (!FAudio.IsEndpointAudioSystem()) {
    SetMixerMute(kMixerLineMicrophone, GetMixerMute(kMixerLineMicrophone) ? 0 : 1);
    return;
  }
  try {
    if (FEndpoint && ToggleEndpointMute()) {
      return;
    }
    // No endpoint yet, or the one kept since an earlier press no longer answers (its device
    // went away): open the default one now.
    OpenAudioEndpoint();
    if (!FEndpoint) {
      return;
    }
    ToggleEndpointMute();
  } catch (...) {
    // Like a failed open: nothing happens and nothing is shown.
  }
}

void TMicrophoneMute::ShowMixerError(const std::u16string& AText) {
  const TApplication* application = Application();
  FMessageBox.ShowMessageBox(AText, application ? application->Title() : std::u16string(),
                             TMessageBoxIcon::None);
}

TMicrophoneMute::TMixerMuteControl TMicrophoneMute::OpenMixerMuteControl(int AType) {
  TMixerMuteControl result;
  if (AType < 0 || AType >= static_cast<int>(kMixerLineComponentTypes.size())) {
    return result;
  }
  if (FAudio.MixerDeviceCount() < 1) {
    return result;
  }
  auto mixer = FAudio.OpenMixer(0);
  if (!mixer) {
    return result;
  }
  const auto line = mixer->FindLineByComponentType(kMixerLineComponentTypes[AType]);
  if (!line) {
    return result;
  }
  const auto control = mixer->FindMuteControl(*line);
  if (!control) {
    ShowMixerError(kMixerGetLineInfoErrorText);
    return result;
  }
  result.Mixer = std::move(mixer);
  result.ControlID = *control;
  return result;
}

bool TMicrophoneMute::GetMixerMute(int AType) {
  const TMixerMuteControl mute = OpenMixerMuteControl(AType);
  if (!mute.Mixer) {
    return false;
  }
  const std::optional<bool> value = mute.Mixer->GetBooleanControlValue(mute.ControlID);
  if (!value) {
    ShowMixerError(kMixerSetControlDetailsErrorText);
    return false;
  }
  return *value;
}

void TMicrophoneMute::SetMixerMute(int AType, std::uint8_t AValue) {
  const TMixerMuteControl mute = OpenMixerMuteControl(AType);
  if (mute.Mixer && !mute.Mixer->SetBooleanControlValue(mute.ControlID, AValue != 0)) {
    ShowMixerError(kMixerSetControlDetailsErrorText);
  }
}

}  // namespace mon
