// The parts of the Win32 audio backend: the Core Audio endpoint (IAudioEndpointVolume of the
// default capture device) with its COM notification sink, and the multimedia mixer (winmm).
#pragma once

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>

#include "platform/audio.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_audio.h"

namespace mon::win32 {

// The Core Audio identifiers we use.
inline constexpr GUID kClsidMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
inline constexpr GUID kIidIMMDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
inline constexpr GUID kIidIAudioEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};
inline constexpr GUID kIidIAudioEndpointVolumeCallback = {
    0x657804FA, 0xD6AD, 0x4496, {0x8A, 0x60, 0x35, 0x27, 0x52, 0xAF, 0x4F, 0x89}};
inline constexpr GUID kIidIMMNotificationClient = {
    0x7991EEC9, 0x7E89, 0x4D85, {0x83, 0x90, 0x6C, 0x70, 0x3C, 0xEC, 0x60, 0xC0}};

// The class context of the enumerator's creation and of the activation: in-process server,
// in-process handler, local server.
inline constexpr DWORD kAudioClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
static_assert(kAudioClassContext == 7);

// The COM face of a TAudioEndpointVolumeCallback: a reference-counted
// IAudioEndpointVolumeCallback that hands each notification to its target. It starts with one
// reference, owned by its creator, and deletes itself when the last reference is released.
class TComEndpointVolumeCallback final : public IAudioEndpointVolumeCallback {
 public:
  static TComEndpointVolumeCallback* Create(std::shared_ptr<TAudioEndpointVolumeCallback> ATarget) {
    return new TComEndpointVolumeCallback(std::move(ATarget));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID ARiid, void** AObject) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // Audio thread. Converts the data and calls the target; always S_OK.
  HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA ANotify) override;

 private:
  explicit TComEndpointVolumeCallback(std::shared_ptr<TAudioEndpointVolumeCallback> ATarget)
      : FTarget(std::move(ATarget)) {}
  ~TComEndpointVolumeCallback() = default;

  std::atomic<ULONG> FReferences{1};
  const std::shared_ptr<TAudioEndpointVolumeCallback> FTarget;
};

// The COM face of a TDefaultCaptureDeviceCallback: an IMMNotificationClient that passes on the
// changes of the default capture endpoint for multimedia and ignores every other event. Reference
// counted like TComEndpointVolumeCallback.
class TComDeviceNotificationClient final : public IMMNotificationClient {
 public:
  static TComDeviceNotificationClient* Create(
      std::shared_ptr<TDefaultCaptureDeviceCallback> ATarget) {
    return new TComDeviceNotificationClient(std::move(ATarget));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID ARiid, void** AObject) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // Audio thread. Calls the target for eCapture and eMultimedia; always S_OK.
  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow AFlow, ERole ARole,
                                                   LPCWSTR ADeviceId) override;
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
    return S_OK;
  }

 private:
  explicit TComDeviceNotificationClient(std::shared_ptr<TDefaultCaptureDeviceCallback> ATarget)
      : FTarget(std::move(ATarget)) {}
  ~TComDeviceNotificationClient() = default;

  std::atomic<ULONG> FReferences{1};
  const std::shared_ptr<TDefaultCaptureDeviceCallback> FTarget;
};

// A registered notification client; destroyed on the thread that made it: the client is
// unregistered, then the enumerator released, then the COM initialisation undone.
class TWin32AudioDeviceWatch final : public TAudioDeviceWatch {
 public:
  TWin32AudioDeviceWatch(TComApartment AApartment, TComPtr<IMMDeviceEnumerator> AMMDevEnum,
                         TComPtr<IMMNotificationClient> AClient)
      : FApartment(std::move(AApartment)),
        FMMDevEnum(std::move(AMMDevEnum)),
        FClient(std::move(AClient)) {}
  ~TWin32AudioDeviceWatch() override {
    FMMDevEnum->UnregisterEndpointNotificationCallback(FClient.Get());
  }

 private:
  TComApartment FApartment;
  TComPtr<IMMDeviceEnumerator> FMMDevEnum;
  TComPtr<IMMNotificationClient> FClient;
};

// An opened default capture endpoint. Destroyed on the thread that opened it: the sink is
// unregistered first, then the endpoint, the device and the enumerator are released, and last the
// thread's COM initialisation of the open is undone.
class TWin32AudioEndpoint final : public TAudioEndpoint {
 public:
  TWin32AudioEndpoint(TComApartment AApartment, TComPtr<IMMDeviceEnumerator> AMMDevEnum,
                      TComPtr<IMMDevice> AMMDev, TComPtr<IAudioEndpointVolume> AEndpoint);
  ~TWin32AudioEndpoint() override;

  // Registers a TComEndpointVolumeCallback for ACallback and drops its own reference to it, so
  // that the audio system holds the only one. ACallback itself is kept until unregistration.
  bool RegisterControlChangeNotify(
      std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) override;
  bool UnregisterControlChangeNotify(
      const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) override;
  std::optional<bool> GetMute() override;
  bool SetMute(bool AMuted) override;

 private:
  TComApartment FApartment;
  TComPtr<IMMDeviceEnumerator> FMMDevEnum;
  TComPtr<IMMDevice> FMMDev;
  TComPtr<IAudioEndpointVolume> FEndpoint;
  std::shared_ptr<TAudioEndpointVolumeCallback> FCallback;
  // The registered COM sink, alive through the audio system's reference, not through this
  // pointer. Null when the system took no reference (it cannot call a sink it does not hold).
  IAudioEndpointVolumeCallback* FSink = nullptr;
};

// Mixer device handle, closed once.
class TWin32AudioMixer final : public TAudioMixer {
 public:
  explicit TWin32AudioMixer(HMIXER AMixer) : FMixer(AMixer) {}
  ~TWin32AudioMixer() override;
  TWin32AudioMixer(const TWin32AudioMixer&) = delete;
  TWin32AudioMixer& operator=(const TWin32AudioMixer&) = delete;

  std::optional<std::uint32_t> FindLineByComponentType(std::uint32_t AComponentType) override;
  std::optional<std::uint32_t> FindMuteControl(std::uint32_t ALineID) override;
  std::optional<bool> GetBooleanControlValue(std::uint32_t AControlID) override;
  bool SetBooleanControlValue(std::uint32_t AControlID, bool AValue) override;

 private:
  HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(FMixer); }
  HMIXER FMixer;
};

}  // namespace mon::win32
