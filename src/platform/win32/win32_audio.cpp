#include "platform/win32/win32_core_audio.h"

#include <cstring>

namespace mon::win32 {

namespace {

// More channels than any endpoint has; the bound keeps a damaged count from reading far.
constexpr UINT kMaxNotifiedChannels = 64;

}  // namespace

// ---------------------------------------------------------------- notification sink

HRESULT STDMETHODCALLTYPE TComEndpointVolumeCallback::QueryInterface(REFIID ARiid, void** AObject) {
  if (AObject == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(ARiid, IID_IUnknown) || IsEqualIID(ARiid, kIidIAudioEndpointVolumeCallback)) {
    *AObject = static_cast<IAudioEndpointVolumeCallback*>(this);
    AddRef();
    return S_OK;
  }
  *AObject = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TComEndpointVolumeCallback::AddRef() {
  return ++FReferences;
}

ULONG STDMETHODCALLTYPE TComEndpointVolumeCallback::Release() {
  const ULONG left = --FReferences;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE
TComEndpointVolumeCallback::OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA ANotify) {
  try {
    TAudioVolumeNotificationData data;
    if (ANotify != nullptr) {
      static_assert(sizeof(ANotify->guidEventContext) == sizeof(data.EventContext));
      std::memcpy(data.EventContext.data(), &ANotify->guidEventContext, data.EventContext.size());
      data.Muted = ANotify->bMuted != FALSE;
      data.MasterVolume = ANotify->fMasterVolume;
      const UINT channels =
          ANotify->nChannels < kMaxNotifiedChannels ? ANotify->nChannels : kMaxNotifiedChannels;
      data.ChannelVolumes.assign(ANotify->afChannelVolumes, ANotify->afChannelVolumes + channels);
    }
    FTarget->OnNotify(data);
  } catch (...) {
    // Nothing may escape into the audio system's thread.
  }
  return S_OK;
}

// ---------------------------------------------------------------- device notification client

HRESULT STDMETHODCALLTYPE TComDeviceNotificationClient::QueryInterface(REFIID ARiid,
                                                                       void** AObject) {
  if (AObject == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(ARiid, IID_IUnknown) || IsEqualIID(ARiid, kIidIMMNotificationClient)) {
    *AObject = static_cast<IMMNotificationClient*>(this);
    AddRef();
    return S_OK;
  }
  *AObject = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TComDeviceNotificationClient::AddRef() {
  return ++FReferences;
}

ULONG STDMETHODCALLTYPE TComDeviceNotificationClient::Release() {
  const ULONG left = --FReferences;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE TComDeviceNotificationClient::OnDefaultDeviceChanged(EDataFlow AFlow,
                                                                               ERole ARole,
                                                                               LPCWSTR) {
  // Called once per role; the monitor's endpoint is the multimedia one.
  if (AFlow == eCapture && ARole == eMultimedia) {
    try {
      FTarget->DefaultCaptureDeviceChanged();
    } catch (...) {
      // Nothing may escape into the audio system's thread.
    }
  }
  return S_OK;
}

// ---------------------------------------------------------------- endpoint

TWin32AudioEndpoint::TWin32AudioEndpoint(TComApartment AApartment,
                                         TComPtr<IMMDeviceEnumerator> AMMDevEnum,
                                         TComPtr<IMMDevice> AMMDev,
                                         TComPtr<IAudioEndpointVolume> AEndpoint)
    : FApartment(std::move(AApartment)),
      FMMDevEnum(std::move(AMMDevEnum)),
      FMMDev(std::move(AMMDev)),
      FEndpoint(std::move(AEndpoint)) {}

TWin32AudioEndpoint::~TWin32AudioEndpoint() {
  if (FCallback) {
    const auto callback = FCallback;
    UnregisterControlChangeNotify(callback);
  }
  // The members go in reverse order: endpoint, device, enumerator, then the COM initialisation.
}

bool TWin32AudioEndpoint::RegisterControlChangeNotify(
    std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) {
  if (!ACallback || FCallback || !FEndpoint) {
    return false;
  }
  TComEndpointVolumeCallback* sink = TComEndpointVolumeCallback::Create(ACallback);
  const HRESULT result = FEndpoint->RegisterControlChangeNotify(sink);
  // Our reference ends here; a registered sink lives on through the audio system's reference.
  const ULONG left = sink->Release();
  if (FAILED(result)) {
    return false;
  }
  FCallback = std::move(ACallback);
  FSink = left > 0 ? sink : nullptr;
  return true;
}

bool TWin32AudioEndpoint::UnregisterControlChangeNotify(
    const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) {
  if (!FCallback || ACallback != FCallback) {
    return false;
  }
  HRESULT result = S_OK;
  if (FSink != nullptr) {
    result = FEndpoint->UnregisterControlChangeNotify(FSink);
  }
  FSink = nullptr;
  FCallback.reset();
  return SUCCEEDED(result);
}

std::optional<bool> TWin32AudioEndpoint::GetMute() {
  BOOL muted = FALSE;
  if (!FEndpoint || FAILED(FEndpoint->GetMute(&muted))) {
    return std::nullopt;
  }
  return muted != FALSE;
}

bool TWin32AudioEndpoint::SetMute(bool AMuted) {
  return FEndpoint && SUCCEEDED(FEndpoint->SetMute(AMuted ? TRUE : FALSE, nullptr));
}

// ---------------------------------------------------------------- mixer
//
// Every structure is passed with its size in this build; the 64-bit ones are larger than their
// 32-bit counterparts where they hold pointers or pointer-sized fields.

TWin32AudioMixer::~TWin32AudioMixer() {
  MixerFunctions().Close(FMixer);  // bound: the mixer was opened with it
}

std::optional<std::uint32_t> TWin32AudioMixer::FindLineByComponentType(
    std::uint32_t AComponentType) {
  MIXERLINEW line{};
  line.cbStruct = sizeof(line);
  line.dwComponentType = AComponentType;
  if (MixerFunctions().GetLineInfo(Object(), &line,
                                   MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return line.dwLineID;
}

std::optional<std::uint32_t> TWin32AudioMixer::FindMuteControl(std::uint32_t ALineID) {
  MIXERCONTROLW control{};
  control.cbStruct = sizeof(control);
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof(controls);
  controls.dwLineID = ALineID;
  controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof(control);
  controls.pamxctrl = &control;
  if (MixerFunctions().GetLineControls(Object(), &controls,
                                       MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return control.dwControlID;
}

namespace {

// A one-channel value request for a Boolean control.
MIXERCONTROLDETAILS BooleanDetails(std::uint32_t AControlID, MIXERCONTROLDETAILS_BOOLEAN& AValue) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof(details);
  details.dwControlID = AControlID;
  details.cChannels = 1;
  details.cMultipleItems = 0;
  details.cbDetails = sizeof(AValue);
  details.paDetails = &AValue;
  return details;
}

}  // namespace

std::optional<bool> TWin32AudioMixer::GetBooleanControlValue(std::uint32_t AControlID) {
  MIXERCONTROLDETAILS_BOOLEAN value{};
  MIXERCONTROLDETAILS details = BooleanDetails(AControlID, value);
  if (MixerFunctions().GetControlDetails(Object(), &details,
                                         MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return value.fValue != 0;
}

bool TWin32AudioMixer::SetBooleanControlValue(std::uint32_t AControlID, bool AValue) {
  MIXERCONTROLDETAILS_BOOLEAN value{};
  value.fValue = AValue ? 1 : 0;
  MIXERCONTROLDETAILS details = BooleanDetails(AControlID, value);
  return MixerFunctions().SetControlDetails(
             Object(), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}

// ---------------------------------------------------------------- system

bool TWin32AudioSystem::IsEndpointAudioSystem() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!::GetVersionExW(&version)) {
    return false;
  }
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

std::unique_ptr<TAudioEndpoint> TWin32AudioSystem::OpenDefaultCaptureEndpoint() {
  // Declared first, so that on a failed step the references go before the COM initialisation.
  TComApartment apartment = TComApartment::EnterSingleThreaded();
  TComPtr<IMMDeviceEnumerator> mmDevEnum;
  if (!ComFunctions().Bound ||
      FAILED(ComFunctions().CoCreateInstance(kClsidMMDeviceEnumerator, nullptr, kAudioClassContext,
                                             kIidIMMDeviceEnumerator, mmDevEnum.PutVoid())) ||
      !mmDevEnum) {
    return nullptr;
  }
  TComPtr<IMMDevice> mmDev;
  if (mmDevEnum->GetDefaultAudioEndpoint(eCapture, eMultimedia, mmDev.Put()) != S_OK || !mmDev) {
    return nullptr;
  }
  TComPtr<IAudioEndpointVolume> endpoint;
  if (mmDev->Activate(kIidIAudioEndpointVolume, kAudioClassContext, nullptr, endpoint.PutVoid()) !=
          S_OK ||
      !endpoint) {
    return nullptr;
  }
  return std::make_unique<TWin32AudioEndpoint>(std::move(apartment), std::move(mmDevEnum),
                                               std::move(mmDev), std::move(endpoint));
}

std::unique_ptr<TAudioDeviceWatch> TWin32AudioSystem::WatchDefaultCaptureDevice(
    std::shared_ptr<TDefaultCaptureDeviceCallback> ACallback) {
  if (!ACallback || !IsEndpointAudioSystem()) {
    return nullptr;
  }
  TComApartment apartment = TComApartment::EnterSingleThreaded();
  TComPtr<IMMDeviceEnumerator> mmDevEnum;
  if (!ComFunctions().Bound ||
      FAILED(ComFunctions().CoCreateInstance(kClsidMMDeviceEnumerator, nullptr, kAudioClassContext,
                                             kIidIMMDeviceEnumerator, mmDevEnum.PutVoid())) ||
      !mmDevEnum) {
    return nullptr;
  }
  auto client = TComPtr<IMMNotificationClient>::Attach(
      TComDeviceNotificationClient::Create(std::move(ACallback)));
  if (FAILED(mmDevEnum->RegisterEndpointNotificationCallback(client.Get()))) {
    return nullptr;
  }
  return std::make_unique<TWin32AudioDeviceWatch>(std::move(apartment), std::move(mmDevEnum),
                                                  std::move(client));
}

std::uint32_t TWin32AudioSystem::MixerDeviceCount() {
  const TMixerFunctions& mixer = MixerFunctions();
  return mixer.Bound ? mixer.GetNumDevs() : 0;
}

std::unique_ptr<TAudioMixer> TWin32AudioSystem::OpenMixer(std::uint32_t AIndex) {
  HMIXER mixer = nullptr;
  const TMixerFunctions& functions = MixerFunctions();
  if (!functions.Bound || functions.Open(&mixer, AIndex, 0, 0, 0) != MMSYSERR_NOERROR ||
      mixer == nullptr) {
    return nullptr;
  }
  return std::make_unique<TWin32AudioMixer>(mixer);
}

}  // namespace mon::win32
