// Test substitute for the system's audio device enumerator (never shipped). Registered in a test
// prefix as the in-process server of the MMDeviceEnumerator class, it offers one capture endpoint
// whose mute state lives in the file named by MON_SIMULATED_MICROPHONE ("1" muted, anything else
// or no file: not muted), so that a test in another process can read and change it. Every SetMute
// appends "SetMute <0|1>" to the same path + ".log". The render flow has no endpoint.
#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::atomic<long> GLiveObjects{0};

std::wstring StatePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"MON_SIMULATED_MICROPHONE", path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

bool ReadMuted() {
  const std::wstring path = StatePath();
  std::FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
  if (file == nullptr) {
    return false;
  }
  const int first = std::fgetc(file);
  std::fclose(file);
  return first == '1';
}

bool WriteMuted(bool AMuted) {
  const std::wstring path = StatePath();
  if (path.empty()) {
    return false;
  }
  std::FILE* state = _wfopen(path.c_str(), L"wb");
  if (state == nullptr) {
    return false;
  }
  std::fputc(AMuted ? '1' : '0', state);
  std::fclose(state);
  if (std::FILE* log = _wfopen((path + L".log").c_str(), L"ab")) {
    std::fprintf(log, "SetMute %d\r\n", AMuted ? 1 : 0);
    std::fclose(log);
  }
  return true;
}

// Reference counting shared by the objects below; each answers IUnknown and its own interface.
template <typename TInterface>
class TComObject : public TInterface {
 public:
  TComObject() { ++GLiveObjects; }
  virtual ~TComObject() { --GLiveObjects; }
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID AIid, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    if (AIid == __uuidof(IUnknown) || AIid == __uuidof(TInterface)) {
      *AObject = static_cast<TInterface*>(this);
      AddRef();
      return S_OK;
    }
    *AObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FReferences); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --FReferences;
    if (left == 0) {
      delete this;
    }
    return static_cast<ULONG>(left);
  }

 private:
  std::atomic<long> FReferences{1};
};

class TEndpointVolume final : public TComObject<IAudioEndpointVolume> {
 public:
  ~TEndpointVolume() override {
    if (FCallback != nullptr) {
      FCallback->Release();
    }
  }

  HRESULT STDMETHODCALLTYPE
  RegisterControlChangeNotify(IAudioEndpointVolumeCallback* ACallback) override {
    if (ACallback == nullptr) {
      return E_POINTER;
    }
    ACallback->AddRef();
    if (FCallback != nullptr) {
      FCallback->Release();
    }
    FCallback = ACallback;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* ACallback) override {
    if (ACallback == nullptr || ACallback != FCallback) {
      return E_INVALIDARG;
    }
    FCallback->Release();
    FCallback = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMute(BOOL AMuted, LPCGUID AContext) override {
    if (!WriteMuted(AMuted != FALSE)) {
      return E_FAIL;
    }
    Notify(AMuted != FALSE, AContext);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMute(BOOL* AMuted) override {
    if (AMuted == nullptr) {
      return E_POINTER;
    }
    *AMuted = ReadMuted() ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* ACount) override {
    if (ACount == nullptr) {
      return E_POINTER;
    }
    *ACount = 1;
    return S_OK;
  }

  // Volume levels are of no interest to the monitor.
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeRange(float*, float*, float*) override { return E_NOTIMPL; }

 private:
  // The system calls the sink on a thread of its own; so does this substitute, and it waits for
  // the call so that no thread outlives the change.
  void Notify(bool AMuted, LPCGUID AContext) {
    if (FCallback == nullptr) {
      return;
    }
    AUDIO_VOLUME_NOTIFICATION_DATA data{};
    data.guidEventContext = AContext != nullptr ? *AContext : GUID{};
    data.bMuted = AMuted ? TRUE : FALSE;
    data.fMasterVolume = 1.0F;
    data.nChannels = 1;
    data.afChannelVolumes[0] = 1.0F;
    IAudioEndpointVolumeCallback* callback = FCallback;
    std::thread([callback, &data] { callback->OnNotify(&data); }).join();
  }

  IAudioEndpointVolumeCallback* FCallback = nullptr;
};

class TCaptureDevice final : public TComObject<IMMDevice> {
 public:
  HRESULT STDMETHODCALLTYPE Activate(REFIID AIid, DWORD, PROPVARIANT*, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    *AObject = nullptr;
    if (AIid != __uuidof(IAudioEndpointVolume)) {
      return E_NOINTERFACE;
    }
    *AObject = static_cast<IAudioEndpointVolume*>(new TEndpointVolume());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetId(LPWSTR* AId) override {
    if (AId == nullptr) {
      return E_POINTER;
    }
    static constexpr wchar_t kId[] = L"{0.0.1.00000000}.{simulated-microphone}";
    *AId = static_cast<LPWSTR>(::CoTaskMemAlloc(sizeof(kId)));
    if (*AId == nullptr) {
      return E_OUTOFMEMORY;
    }
    std::memcpy(*AId, kId, sizeof(kId));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetState(DWORD* AState) override {
    if (AState == nullptr) {
      return E_POINTER;
    }
    *AState = DEVICE_STATE_ACTIVE;
    return S_OK;
  }
};

class TDeviceEnumerator final : public TComObject<IMMDeviceEnumerator> {
 public:
  HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow AFlow, ERole,
                                                    IMMDevice** ADevice) override {
    if (ADevice == nullptr) {
      return E_POINTER;
    }
    *ADevice = nullptr;
    if (AFlow != eCapture) {
      return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    *ADevice = new TCaptureDevice();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }
};

class TEnumeratorFactory final : public TComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* AOuter, REFIID AIid, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    *AObject = nullptr;
    if (AOuter != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    auto* enumerator = new TDeviceEnumerator();
    const HRESULT result = enumerator->QueryInterface(AIid, AObject);
    enumerator->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL ALock) override {
    GLiveObjects += ALock ? 1 : -1;
    return S_OK;
  }
};

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID AClass, REFIID AIid, void** AObject) {
  if (AObject == nullptr) {
    return E_POINTER;
  }
  *AObject = nullptr;
  if (AClass != __uuidof(MMDeviceEnumerator)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new TEnumeratorFactory();
  const HRESULT result = factory->QueryInterface(AIid, AObject);
  factory->Release();
  return result;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return GLiveObjects == 0 ? S_OK : S_FALSE;
}

}  // extern "C"
